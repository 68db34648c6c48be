#pragma once

// Internal: the one table of (value, name) pairs per enumeration, and the lookups over it.
//
//   TRX_ENUM(ELineType, unknown, solid, dash, (dash_dot, "dash-dot"));
//
// An entry is an enumerator, whose name is its own spelling, or (enumerator, "name") where
// the wire spells it otherwise. Lookups scan the table: the tables are short, and a scan
// allocates nothing.

#include <cstddef>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "../json/enum_strings.h"

namespace trx::detail {

template <class E>
struct EnumEntry {
    E value;
    const wchar_t* name;
};

// The names as strings (the public conversion hands out references), and the fallbacks:
// an unknown value writes the name of the smallest value, an unknown name reads as the
// value whose name sorts first.
template <class E>
struct EnumNames {
    std::vector<E> values;
    std::vector<std::wstring> names;
    std::size_t smallestValue = 0;
    std::size_t firstName = 0;

    EnumNames(const EnumEntry<E>* begin, const EnumEntry<E>* end) {
        for (auto* e = begin; e != end; ++e) {
            values.push_back(e->value);
            names.emplace_back(e->name);
            const std::size_t i = values.size() - 1;
            if (values[i] < values[smallestValue]) smallestValue = i;
            if (names[i] < names[firstName]) firstName = i;
        }
    }

    const std::wstring& name(E value) const {
        for (std::size_t i = 0; i < values.size(); ++i)
            if (values[i] == value) return names[i];
        return names[smallestValue];
    }
    // Returns whether the name is in the table.
    bool find(const wchar_t* text, std::size_t length, E& out) const {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i].size() == length && std::wmemcmp(names[i].data(), text, length) == 0) {
                out = values[i];
                return true;
            }
        }
        return false;
    }
    E value(const wchar_t* text, std::size_t length) const {
        E out = values[firstName];
        find(text, length, out);
        return out;
    }
};

// Specialised once per enumeration by TRX_ENUM.
template <class E> const EnumNames<E>& enumNames();

}  // namespace trx::detail

namespace trx {

template <class E>
const std::wstring& enumToString(E value) {
    return detail::enumNames<E>().name(value);
}

template <class E>
E enumFromString(const wchar_t* name, std::size_t length) {
    return detail::enumNames<E>().value(name, length);
}

template <class E>
E enumFromString(const std::wstring& name) {
    return enumFromString<E>(name.data(), name.size());
}

// For names whose unknown spellings read as a fixed value rather than the first name. Use it
// in the file that defines the enumeration's table.
template <class E>
E enumFromStringOr(const std::wstring& name, E fallback) {
    detail::enumNames<E>().find(name.data(), name.size(), fallback);
    return fallback;
}

}  // namespace trx

// ---- the table macro -----------------------------------------------------------------

#define TRX_ENUM_WIDE_(s) L##s
#define TRX_ENUM_WIDE(s) TRX_ENUM_WIDE_(s)
#define TRX_ENUM_CAT_(a, b) a##b
#define TRX_ENUM_CAT(a, b) TRX_ENUM_CAT_(a, b)

// 1 when the entry is parenthesised, 0 otherwise.
#define TRX_ENUM_PROBE_(...) ~, 1,
#define TRX_ENUM_SECOND_(a, b, ...) b
#define TRX_ENUM_SECOND(...) TRX_ENUM_SECOND_(__VA_ARGS__)
#define TRX_ENUM_IS_PAREN(x) TRX_ENUM_SECOND(TRX_ENUM_PROBE_ x, 0, )

#define TRX_ENUM_ENTRY_0(E, e) ::trx::detail::EnumEntry<E>{E::e, TRX_ENUM_WIDE(#e)},
#define TRX_ENUM_ENTRY_1(E, pair) TRX_ENUM_ENTRY_SPELT(E, TRX_ENUM_UNPAREN pair)
#define TRX_ENUM_UNPAREN(...) __VA_ARGS__
#define TRX_ENUM_ENTRY_SPELT(E, ...) TRX_ENUM_ENTRY_SPELT_(E, __VA_ARGS__)
#define TRX_ENUM_ENTRY_SPELT_(E, e, name) ::trx::detail::EnumEntry<E>{E::e, TRX_ENUM_WIDE(name)},
#define TRX_ENUM_ENTRY(E, x) TRX_ENUM_CAT(TRX_ENUM_ENTRY_, TRX_ENUM_IS_PAREN(x))(E, x)

// Applies TRX_ENUM_ENTRY(E, x) to every further argument.
#define TRX_ENUM_PARENS_ ()
#define TRX_ENUM_EXPAND(...) TRX_ENUM_EXPAND3(TRX_ENUM_EXPAND3(TRX_ENUM_EXPAND3(TRX_ENUM_EXPAND3(__VA_ARGS__))))
#define TRX_ENUM_EXPAND3(...) TRX_ENUM_EXPAND2(TRX_ENUM_EXPAND2(TRX_ENUM_EXPAND2(TRX_ENUM_EXPAND2(__VA_ARGS__))))
#define TRX_ENUM_EXPAND2(...) TRX_ENUM_EXPAND1(TRX_ENUM_EXPAND1(TRX_ENUM_EXPAND1(TRX_ENUM_EXPAND1(__VA_ARGS__))))
#define TRX_ENUM_EXPAND1(...) __VA_ARGS__
#define TRX_ENUM_EACH(E, ...) __VA_OPT__(TRX_ENUM_EXPAND(TRX_ENUM_EACH_(E, __VA_ARGS__)))
#define TRX_ENUM_EACH_(E, x, ...) \
    TRX_ENUM_ENTRY(E, x) __VA_OPT__(TRX_ENUM_EACH_AGAIN_ TRX_ENUM_PARENS_(E, __VA_ARGS__))
#define TRX_ENUM_EACH_AGAIN_() TRX_ENUM_EACH_

// Defines the table of an enumeration; used inside namespace trx.
#define TRX_ENUM_TABLE(E, ...)                                                                \
    template <>                                                                              \
    const detail::EnumNames<E>& detail::enumNames<E>() {                                     \
        static const detail::EnumEntry<E> entries[] = {TRX_ENUM_EACH(E, __VA_ARGS__)};      \
        static const detail::EnumNames<E> names(std::begin(entries), std::end(entries));    \
        return names;                                                                        \
    }

// The table of a public enumeration, and its exported conversions.
#define TRX_ENUM(E, ...)                                                                      \
    TRX_ENUM_TABLE(E, __VA_ARGS__)                                                            \
    template TRX_API const std::wstring& enumToString<E>(E);                                  \
    template TRX_API E enumFromString<E>(const wchar_t*, std::size_t);                        \
    template TRX_API E enumFromString<E>(const std::wstring&)
