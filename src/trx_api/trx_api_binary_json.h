#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "json/json_object.h"
#include "trx_api_export.h"

namespace trx {

// The binary form of a JSON value that bulky objects take inside shared memory: one tag
// byte per value, then its payload, little-endian.
//
//   0 null, 1 false, 2 true
//   3 object  u64 byte count of the members, then name (a tag-5 string) and value per member
//   4 array   u64 byte count of the items, then the items
//   5 string  u64 count of UTF-16 code units, then the units (2 bytes each, no terminator)
//   6 int32, 7 uint32 (4 bytes); 8 int64, 9 uint64, 10 double (8 bytes)
//
// A number takes the first of tags 6 to 10 that holds it. Characters above U+FFFF travel as
// surrogate pairs and are joined again on reading; a lone surrogate stays as it is.
//
// Reading trusts nothing: every count is checked against the bytes that remain before
// anything is allocated. Failures throw
//   std::length_error      "JsonBinaryIO: Failed to parse all bytes of type" (no value where
//                          one must start, or a container longer than the input),
//                          "JsonBinaryIO: Failed to read all the number of bytes",
//                          "JsonBinaryIO: Failed to read all the bytes of string";
//                          "JsonBinaryIO: Document too large: ..." (the values of one document
//                          may take 256 MB plus 64 bytes per input byte, 4 GB at most: a few
//                          bytes can stand for millions of values);
//   std::invalid_argument  "JsonBinaryIO: Unknown value type", "JsonBinaryIO: Nesting too deep",
//                          "JsonBinaryIO: Member name is not a string";
//   std::bad_alloc         when memory runs out all the same.
class TRX_API JsonBinaryIO {
public:
    // Containers may nest this deep, no deeper (reading and writing alike).
    static constexpr unsigned kMaxDepth = 1024;

    // Writes `value` to `os` (any output stream; no seeking needed). Throws
    // std::invalid_argument for nesting beyond kMaxDepth before writing anything.
    static std::ostream& write(std::ostream& os, const JsonValue& value);
    // The same bytes into `out`, replacing its content.
    static void write(std::string& out, const JsonValue& value);
    // The bytes of the value record.writeObject() gives, written straight from the record:
    // no document of wide strings is made for them.
    static void write(std::string& out, const IJsonObject& record);

    // Reads one value from the current position of `is`; strings, members and items are
    // allocated from `allocator`. On success a seekable stream is left just after the value.
    static std::istream& read(std::istream& is, JsonValue& value, JsonAllocator& allocator);
    // Reads one value from the `size` bytes at `data`; gives the number of bytes it took.
    static std::size_t read(const char* data, std::size_t size, JsonValue& value,
                            JsonAllocator& allocator);
};

}  // namespace trx
