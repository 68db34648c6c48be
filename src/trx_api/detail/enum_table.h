#pragma once

// Internal: one constant table of (value, name) pairs per enumeration, from which
// enumToString and enumFromString build their maps once.

#include <map>
#include <string>

#include "../json/enum_strings.h"

namespace trx::detail {

template <class E>
struct EnumEntry {
    E value;
    const wchar_t* name;
};

template <class E>
struct EnumTable {
    const EnumEntry<E>* begin;
    const EnumEntry<E>* end;
};

// Specialised once per enumeration by TRX_ENUM_NAMES.
template <class E> EnumTable<E> enumTable();

template <class E>
struct EnumMaps {
    std::map<E, std::wstring> names;
    std::map<std::wstring, E> values;
    EnumMaps() {
        const EnumTable<E> table = enumTable<E>();
        for (auto* e = table.begin; e != table.end; ++e) {
            names.emplace(e->value, e->name);
            values.emplace(e->name, e->value);
        }
    }
    static const EnumMaps& get() {
        static const EnumMaps maps;
        return maps;
    }
};

}  // namespace trx::detail

namespace trx {

template <class E>
const std::wstring& enumToString(E value) {
    const auto& names = detail::EnumMaps<E>::get().names;
    const auto it = names.find(value);
    return it != names.end() ? it->second : names.begin()->second;
}

template <class E>
E enumFromString(const std::wstring& name) {
    const auto& values = detail::EnumMaps<E>::get().values;
    const auto it = values.find(name);
    return it != values.end() ? it->second : values.begin()->second;
}

// For names whose unknown spellings read as a fixed value rather than the first name. Use it
// in the file that defines the enumeration's table.
template <class E>
E enumFromStringOr(const std::wstring& name, E fallback) {
    const auto& values = detail::EnumMaps<E>::get().values;
    const auto it = values.find(name);
    return it != values.end() ? it->second : fallback;
}

}  // namespace trx

// Defines the table of an enumeration and instantiates its two conversions; used inside
// namespace trx:
//   TRX_ENUM_NAMES(EWorldOrientation, {EWorldOrientation::unknown, L"unknown"}, ...);
#define TRX_ENUM_NAMES(E, ...)                                              \
    template <>                                                             \
    detail::EnumTable<E> detail::enumTable<E>() {                           \
        static const detail::EnumEntry<E> entries[] = {__VA_ARGS__};        \
        return {entries, entries + sizeof(entries) / sizeof(entries[0])};   \
    }                                                                       \
    template const std::wstring& enumToString<E>(E);                        \
    template E enumFromString<E>(const std::wstring&)
