#pragma once

// Internal: the typed field helpers every record is written with.
//
// Writing adds one member per call, in call order. Reading takes a member only when it is
// present and of the JSON type the field expects; otherwise the field keeps its value.
// A present sub-record key replaces the sub-record with a fresh one; list keys append.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "../json/enum_strings.h"
#include "../json/json_object.h"
#include "trace.h"

namespace trx::json {

// ---- value conversions -------------------------------------------------------------

inline JsonValue toJson(bool v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::int32_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::uint32_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::int64_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::uint64_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(double v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(const std::wstring& v, JsonAllocator& a) {
    return JsonValue(v.c_str(), static_cast<rapidjson::SizeType>(v.size()), a);
}
template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
JsonValue toJson(E v, JsonAllocator& a) {
    return toJson(enumToString(v), a);
}
inline JsonValue toJson(const IJsonObject& record, JsonAllocator& a) {
    JsonValue v;
    record.writeObject(v, a);
    return v;
}
template <class T>
JsonValue toJson(const std::shared_ptr<T>& record, JsonAllocator& a) {
    return record ? toJson(*record, a) : JsonValue();
}
template <class T> struct IsSharedPtr : std::false_type {};
template <class T> struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {};

// A list becomes an array in list order; null entries are skipped.
template <class T>
JsonValue toJson(const std::vector<T>& list, JsonAllocator& a) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(list.size()), a);
    for (const auto& item : list) {
        if constexpr (IsSharedPtr<T>::value)
            if (!item) continue;
        array.PushBack(toJson(item, a), a);
    }
    return array;
}

// A set becomes an array in ascending order.
template <class T>
JsonValue toJson(const std::set<T>& set, JsonAllocator& a) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(set.size()), a);
    for (const auto& item : set) array.PushBack(toJson(item, a), a);
    return array;
}

// Each returns whether the value was taken.
inline bool fromJson(const JsonValue& v, bool& out) { return v.IsBool() ? (out = v.GetBool(), true) : false; }
inline bool fromJson(const JsonValue& v, std::int32_t& out) { return v.IsInt() ? (out = v.GetInt(), true) : false; }
inline bool fromJson(const JsonValue& v, std::uint32_t& out) { return v.IsUint() ? (out = v.GetUint(), true) : false; }
inline bool fromJson(const JsonValue& v, std::int64_t& out) { return v.IsInt64() ? (out = v.GetInt64(), true) : false; }
inline bool fromJson(const JsonValue& v, std::uint64_t& out) { return v.IsUint64() ? (out = v.GetUint64(), true) : false; }
// Only numbers written with a fraction or an exponent.
inline bool fromJson(const JsonValue& v, double& out) { return v.IsDouble() ? (out = v.GetDouble(), true) : false; }
// Up to the first U+0000.
inline bool fromJson(const JsonValue& v, std::wstring& out) {
    return v.IsString() ? (out.assign(v.GetString()), true) : false;
}
template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
bool fromJson(const JsonValue& v, E& out) {
    if (!v.IsString()) return false;
    out = enumFromString<E>(v.GetString(), v.GetStringLength());
    return true;
}
// A nested record reads the member itself (and logs when it is of the wrong kind).
inline bool fromJson(const JsonValue& v, IJsonObject& record) {
    record.readObject(v);
    return true;
}
template <class T>
bool fromJson(const JsonValue& v, std::shared_ptr<T>& record) {
    auto fresh = std::make_shared<T>();
    fresh->readObject(v);
    record = std::move(fresh);
    return true;
}
// Items of an array are appended in array order; items of the wrong kind are skipped.
template <class T>
bool fromJson(const JsonValue& v, std::vector<T>& list) {
    if (!v.IsArray()) return false;
    list.reserve(list.size() + v.Size());
    for (const auto& item : v.GetArray()) {
        T value{};
        if (fromJson(item, value)) list.push_back(std::move(value));
    }
    return true;
}

// Items of an array are inserted; items of the wrong kind are skipped.
template <class T>
bool fromJson(const JsonValue& v, std::set<T>& set) {
    if (!v.IsArray()) return false;
    for (const auto& item : v.GetArray()) {
        T value{};
        if (fromJson(item, value)) set.insert(std::move(value));
    }
    return true;
}

// ---- members -----------------------------------------------------------------------

// Keys are literals that live as long as the library: referenced, not copied.
template <class T>
void put(JsonValue& obj, JsonAllocator& a, const wchar_t* key, const T& v) {
    obj.AddMember(JsonValue(rapidjson::StringRef(key)), toJson(v, a), a);
}
// A null sub-record writes nothing.
template <class T>
void put(JsonValue& obj, JsonAllocator& a, const wchar_t* key, const std::shared_ptr<T>& v) {
    if (v) obj.AddMember(JsonValue(rapidjson::StringRef(key)), toJson(*v, a), a);
}

// The whole of a string value, NUL characters included: a name or segment must match
// exactly, where the string fields of records stop at the first NUL.
inline std::wstring fullString(const JsonValue& v) { return std::wstring(v.GetString(), v.GetStringLength()); }

inline const JsonValue* member(const JsonValue& obj, const wchar_t* key) {
    if (!obj.IsObject()) return nullptr;
    const auto it = obj.FindMember(key);
    return it != obj.MemberEnd() ? &it->value : nullptr;
}

template <class T>
bool get(const JsonValue& obj, const wchar_t* key, T& v) {
    const JsonValue* m = member(obj, key);
    return m != nullptr && fromJson(*m, v);
}

// The ERROR record of a record handed a value of the wrong JSON kind.
inline bool isObjectOrLog(const JsonValue& v, const char* className) {
    if (v.IsObject()) return true;
    detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
        os << className << " object should have a JSON object type.";
    });
    return false;
}
inline bool isArrayOrLog(const JsonValue& v, const char* className) {
    if (v.IsArray()) return true;
    detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
        os << className << " object should have a JSON array type.";
    });
    return false;
}

// Visitors for records that name each key once in a static `fields(self, f)`:
//   f(L"key", s.m_field);              always
//   f(L"key", s.m_field, condition);   written only when condition holds; read always
struct Reader {
    const JsonValue& obj;
    template <class T>
    void operator()(const wchar_t* key, T& field, bool = true) const {
        get(obj, key, field);
    }
};
struct Writer {
    JsonValue& obj;
    JsonAllocator& a;
    template <class T>
    void operator()(const wchar_t* key, const T& field, bool when = true) const {
        if (when) put(obj, a, key, field);
    }
};

// readObject/writeObject of a record whose `fields` is its whole JSON form.
template <class R>
void readFields(R& record, const JsonValue& v, const char* className) {
    if (isObjectOrLog(v, className)) R::fields(record, Reader{v});
}
template <class R>
void writeFields(const R& record, JsonValue& v, JsonAllocator& a) {
    v.SetObject();
    R::fields(record, Writer{v, a});
}

// Member-wise equality of two records over their `fields` list (shared pointers compare
// by identity).
template <class R>
bool sameFields(const R& a, const R& b) {
    std::vector<const void*> mine;
    R::fields(a, [&](const wchar_t*, const auto& field, bool = true) { mine.push_back(&field); });
    std::size_t i = 0;
    bool same = true;
    R::fields(b, [&](const wchar_t*, const auto& field, bool = true) {
        using T = std::decay_t<decltype(field)>;
        same = same && *static_cast<const T*>(mine[i++]) == field;
    });
    return same;
}

}  // namespace trx::json
