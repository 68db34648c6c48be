#pragma once

#include <cstddef>
#include <cstdlib>
#include <iosfwd>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include <rapidjson/document.h>

#include "../trx_api_export.h"

namespace trx {

namespace detail {
class BinaryReader;
class BinaryWriter;
}  // namespace detail
namespace json {
// The keys of an object taken so far while reading it straight (the literals of its fields).
using TakenKeys = std::vector<const wchar_t*>;
}

// Wide JSON: UTF-16 code units where wchar_t has two bytes, code points where it has four.
using JsonEncoding = std::conditional_t<sizeof(wchar_t) == 2, rapidjson::UTF16<wchar_t>,
                                        rapidjson::UTF32<wchar_t>>;

// What every document's pool takes its chunks from. Long strings and large arrays get
// chunks of their own, which are mappings backed by huge pages where the system allows:
// faulting in hundreds of megabytes page by page costs more than the work done on them.
class TRX_API JsonBlockAllocator {
public:
    static const bool kNeedFree = true;
    void* Malloc(std::size_t size);  // throws std::bad_alloc
    void* Realloc(void* block, std::size_t oldSize, std::size_t newSize);
    static void Free(void* block);
    // Large blocks that were freed are kept (512 MB at most) for the next large document or
    // payload; this returns them to the system, e.g. after the last transfer of a session.
    static void releaseRetained();
};

// A document's parse stack. RapidJSON's own allocator returns a failed realloc to the stack,
// which then writes through it: this one throws std::bad_alloc instead.
class JsonStackAllocator {
public:
    static const bool kNeedFree = true;
    void* Malloc(std::size_t size) { return size == 0 ? nullptr : checked(std::malloc(size)); }
    void* Realloc(void* block, std::size_t, std::size_t size) {
        if (size != 0) return checked(std::realloc(block, size));  // on failure the old block stays
        std::free(block);
        return nullptr;
    }
    static void Free(void* block) { std::free(block); }

private:
    static void* checked(void* p) { return p != nullptr ? p : throw std::bad_alloc(); }
};

using JsonAllocator = rapidjson::MemoryPoolAllocator<JsonBlockAllocator>;
using JsonValue = rapidjson::GenericValue<JsonEncoding, JsonAllocator>;
using JsonDocument = rapidjson::GenericDocument<JsonEncoding, JsonAllocator, JsonStackAllocator>;

// Base of every JSON record.
class TRX_API IJsonObject {
public:
    IJsonObject() = default;
    IJsonObject(const IJsonObject&) = default;
    IJsonObject& operator=(const IJsonObject&) = default;
    virtual ~IJsonObject() = default;

    virtual void readObject(const JsonValue& value) = 0;
    virtual void writeObject(JsonValue& value, JsonAllocator& allocator) const = 0;
    // The binary JSON of the value writeObject gives, into `out`. This one goes through that
    // value; records made from a key list write their members straight into `out`.
    virtual void writeBinary(detail::BinaryWriter& out) const;
    // The same for reading: fills the record as readObject would from the value that comes
    // next in `in`. This one reads through that value; records made from a key list take
    // their members straight from `in`.
    virtual void readBinary(detail::BinaryReader& in);
};

// Declares what a record made from one key list has: its JSON form both ways and member-wise
// equality, defined in its .cpp by TRX_FIELDS from the list `fields`. Leaves the class in its
// protected section.
#define TRX_JSON_RECORD(Class)                                                               \
public:                                                                                      \
    void readObject(const ::trx::JsonValue& value) override;                                 \
    void writeObject(::trx::JsonValue& value, ::trx::JsonAllocator& allocator) const override; \
    void writeBinary(::trx::detail::BinaryWriter& out) const override;                       \
    /* the members of this class's object, for a record that derives from it */              \
    [[maybe_unused]] void writeBinaryMembers(::trx::detail::BinaryWriter& out) const;        \
    void readBinary(::trx::detail::BinaryReader& in) override;                               \
    /* takes the member `in` has named when it is one of this class's; false otherwise */    \
    [[maybe_unused]] bool readBinaryMember(::trx::detail::BinaryReader& in, ::trx::json::TakenKeys& taken); \
    /* whether this class's members can be taken one at a time */                            \
    [[maybe_unused]] static bool readsMembersStraight();                                     \
    bool operator==(const Class& o) const;                                                   \
    bool operator!=(const Class& o) const { return !(*this == o); }                          \
                                                                                             \
protected:                                                                                   \
    template <class Self, class F>                                                           \
    static void fields(Self& s, F&& f)

// Whole documents on wide streams and in files.
class TRX_API JsonTextIO {
public:
    // Containers nested deeper than this make the text invalid.
    static constexpr unsigned kMaxDepth = 1024;

    static std::wostream& write(std::wostream& os, const JsonDocument& doc, bool pretty);
    // Parses exactly one value; the outcome stays in doc (HasParseError and friends).
    static std::wistream& read(std::wistream& is, JsonDocument& doc);
    static void writeToFile(const JsonDocument& doc, const std::wstring& path);
    static void writeToFile(const IJsonObject& object, const std::wstring& path);
};

// UTF-8, the system code page here.
TRX_API std::string toNarrow(const wchar_t* text);
TRX_API std::wstring toWide(const char* text);
inline std::string toNarrow(const std::wstring& text) { return toNarrow(text.c_str()); }
inline std::wstring toWide(const std::string& text) { return toWide(text.c_str()); }

}  // namespace trx
