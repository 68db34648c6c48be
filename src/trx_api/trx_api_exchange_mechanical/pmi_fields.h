#pragma once

// Internal: helpers shared by the PMI and per-entity records.

#include <cstddef>
#include <string>

#include "../detail/enum_table.h"
#include "../detail/fields.h"
#include "../detail/trace.h"


namespace trx::json {

inline double doubleOr(const JsonValue& item, double fallback) {
    return item.IsDouble() ? item.GetDouble() : fallback;
}
inline std::wstring stringOr(const JsonValue& item, const std::wstring& fallback) {
    return item.IsString() ? std::wstring(item.GetString()) : fallback;
}

// A member that must be an array of exactly N items. A present array of another length logs
// `sizeMessage` as a WARNING and changes nothing; a missing key or another JSON type is
// ignored. Otherwise `each(i, item)` runs for every item.
template <std::size_t N, class F>
void getFixed(const JsonValue& obj, const wchar_t* key, const char* sizeMessage, F&& each) {
    const JsonValue* m = member(obj, key);
    if (m == nullptr || !m->IsArray()) return;
    if (m->Size() != N) {
        detail::logText(vx_bridge::kWarning, sizeMessage);
        return;
    }
    for (rapidjson::SizeType i = 0; i < N; ++i) each(i, (*m)[i]);
}

// Writes the items as one array, in argument order.
template <class... T>
void putArray(JsonValue& obj, JsonAllocator& a, const wchar_t* key, const T&... items) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(sizeof...(items)), a);
    (array.PushBack(toJson(items, a), a), ...);
    obj.AddMember(JsonValue(rapidjson::StringRef(key)), array, a);
}

}  // namespace trx::json
