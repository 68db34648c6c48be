#pragma once

// Internal: Base64 straight between JSON strings and arrays. The packed arrays of a large
// mesh run to hundreds of megabytes of text; going through a std::wstring first would copy
// (and clear) all of it once more.

#include <cstddef>
#include <vector>

#include "blocks.h"

namespace trx::detail {

inline std::size_t base64Length(std::size_t bytes) { return (bytes + 2) / 3 * 4; }
// The most bytes `chars` characters can give, a short last group included.
inline std::size_t base64MaxBytes(std::size_t chars) {
    return chars / 4 * 3 + (chars % 4 > 1 ? chars % 4 - 1 : 0);
}

// Writes base64Length(bytes) characters; gives their number.
std::size_t base64Encode(wchar_t* out, const void* in, std::size_t bytes);
// The same characters as UTF-16 code units, little-endian, 2 bytes each at `out`.
std::size_t base64EncodeUtf16(char* out, const void* in, std::size_t bytes);
// Decodes up to the first "=", foreign character or the end; gives the bytes written (at
// most base64MaxBytes(chars)).
std::size_t base64Decode(void* out, const wchar_t* in, std::size_t chars);
// The same; `taken` becomes the number of characters decoded.
std::size_t base64Decode(void* out, const wchar_t* in, std::size_t chars, std::size_t& taken);

// The same from UTF-16 code units, little-endian, 2 bytes each at `in`, at any address.
std::size_t base64DecodeUtf16(void* out, const char* in, std::size_t units, std::size_t& taken);

// `values` becomes the whole elements decoded from the `chars` characters at `text`. Gives
// false when the text was not all taken (anything but "=" padding after where decoding
// stopped) or its bytes end inside an element: packed data that was damaged on its way.
template <class T>
bool base64DecodeInto(const wchar_t* text, std::size_t chars, std::vector<T>& values) {
    const std::size_t room = (base64MaxBytes(chars) + sizeof(T) - 1) / sizeof(T);
    values.clear();
    values.reserve(room);
    adviseHugePages(values.data(), room * sizeof(T));  // before its pages are first touched
    values.resize(room);
    std::size_t taken = 0;
    const std::size_t bytes = base64Decode(values.data(), text, chars, taken);
    values.resize(bytes / sizeof(T));
    if (taken % 4 == 1) return false;  // a lone character of a group holds no whole byte
    for (std::size_t i = taken; i < chars; ++i)
        if (text[i] != L'=' || i - taken >= 2) return false;
    return bytes % sizeof(T) == 0;
}

}  // namespace trx::detail
