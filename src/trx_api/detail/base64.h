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
// Decodes up to the first "=", foreign character or the end; gives the bytes written (at
// most base64MaxBytes(chars)).
std::size_t base64Decode(void* out, const wchar_t* in, std::size_t chars);

// `values` becomes the whole elements decoded from the `chars` characters at `text`.
template <class T>
void base64DecodeInto(const wchar_t* text, std::size_t chars, std::vector<T>& values) {
    const std::size_t room = (base64MaxBytes(chars) + sizeof(T) - 1) / sizeof(T);
    values.clear();
    values.reserve(room);
    adviseHugePages(values.data(), room * sizeof(T));  // before its pages are first touched
    values.resize(room);
    values.resize(base64Decode(values.data(), text, chars) / sizeof(T));
}

}  // namespace trx::detail
