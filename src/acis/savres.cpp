#include "savres.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "detail/context.h"
#include "entity.h"

// ---- file information

namespace {
thread_local FileInfo t_file_info;
}

FileInfo::FileInfo() : m_units(1.0) {}

void FileInfo::reset() {
    *this = FileInfo();
}

outcome api_set_file_info(unsigned long mask, const FileInfo& info) {
    API_BEGIN
        if (mask & FileIdent) t_file_info.set_product_id(info.product_id());
        if (mask & FileUnits) t_file_info.set_units(info.units());
    API_END
    return result;
}

outcome api_get_file_info(FileInfo& info) {
    API_BEGIN
        info = t_file_info;
    API_END
    return result;
}

namespace acis_detail {

const FileInfo& installed_file_info() {
    return t_file_info;
}

void install_file_info(FileInfo&& info) noexcept {
    t_file_info = std::move(info);
}

// ---- the file in use

namespace {
thread_local file_state t_state;
}

file_state& current() {
    return t_state;
}

FileInterface& current_file() {
    if (!t_state.file) sys_error(NO_SAVE_IN_PROGRESS);
    return *t_state.file;
}

file_scope::file_scope(FileInterface* file, ENTITY_LIST* save_list) : m_saved(t_state) {
    t_state = file_state();
    t_state.file = file;
    t_state.save_list = save_list;
}

file_scope::~file_scope() {
    t_state = m_saved;
}

}  // namespace acis_detail

// ---- binary encoding

namespace {
// Marks the start of saved data; neither a gzip (1f 8b) nor a zlib (78 ..) stream starts so.
constexpr unsigned char kMagic[8] = {'T', 'R', 'X', 'S', 'A', 'V', 'E', 0x1A};
constexpr unsigned kFormatVersion = 1;

enum : unsigned char {
    kTagLong = 'L',
    kTagDouble = 'D',
    kTagString = 'S',
    kTagId = 'I',
    kTagTerminator = '#',
};

// Strings are read in pieces of this size, so a corrupt length costs no more memory than
// the data that is really there.
constexpr std::size_t kReadPiece = 64 * 1024;

void put_le(unsigned char* out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint64_t get_le(const unsigned char* in, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(in[i]) << (8 * i);
    return v;
}
}  // namespace

FileInterface::~FileInterface() = default;

BinaryFile::BinaryFile() = default;
BinaryFile::~BinaryFile() = default;

void BinaryFile::put(const void* data, std::size_t length) {
    write(data, length, 0);
}

void BinaryFile::get(void* buf, std::size_t length, const char* what) {
    auto* out = static_cast<unsigned char*>(buf);
    std::size_t done = 0;
    while (done < length) {
        std::size_t n = read(out + done, length - done, 0);
        if (n == 0 || n > length - done) break;
        done += n;
    }
    if (done != length)
        sys_error(DATA_ENDS_EARLY,
                  std::string("reading ") + what + " at byte " + std::to_string(set_mark()));
}

void BinaryFile::expect_tag(unsigned char tag, const char* what) {
    unsigned char found = 0;
    get(&found, 1, what);
    if (found != tag) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%02x", found);
        sys_error(DATA_CORRUPT, std::string("expected ") + what + " at byte " +
                                    std::to_string(set_mark() - 1) + ", found tag " + text);
    }
}

void BinaryFile::write_header(const FileInfo& info, long top_count, long record_count) {
    unsigned char version[2];
    put_le(version, kFormatVersion, 2);
    put(kMagic, sizeof kMagic);
    put(version, sizeof version);
    write_string(info.product_id(), std::strlen(info.product_id()));
    write_double(info.units());
    write_long(top_count);
    write_long(record_count);
}

void BinaryFile::read_header(FileInfo& info, long& top_count, long& record_count) {
    unsigned char magic[sizeof kMagic] = {};
    std::size_t got = 0;
    while (got < sizeof magic) {
        std::size_t n = read(magic + got, sizeof magic - got, 0);
        if (n == 0 || n > sizeof magic - got) break;
        got += n;
    }
    if (std::memcmp(magic, kMagic, got) != 0) sys_error(NOT_SAVE_DATA, "no format mark");
    if (got != sizeof magic) sys_error(DATA_ENDS_EARLY, "reading the format mark");
    unsigned char version[2];
    get(version, sizeof version, "the format version");
    unsigned v = static_cast<unsigned>(get_le(version, 2));
    if (v != kFormatVersion) sys_error(SAVE_VERSION_UNKNOWN, "version " + std::to_string(v));
    FileInfo stamped;
    stamped.set_product_id(read_string().c_str());
    stamped.set_units(read_double());
    long top = read_long();
    long records = read_long();
    if (top < 0 || records < top)
        sys_error(DATA_CORRUPT, "entity counts " + std::to_string(top) + " of " +
                                    std::to_string(records) + " in the header");
    info = stamped;
    top_count = top;
    record_count = records;
}

void BinaryFile::write_long(long v) {
    unsigned char out[9] = {kTagLong};
    put_le(out + 1, static_cast<std::uint64_t>(static_cast<std::int64_t>(v)), 8);
    put(out, sizeof out);
}

long BinaryFile::read_long() {
    expect_tag(kTagLong, "a long");
    unsigned char in[8];
    get(in, sizeof in, "a long");
    auto v = static_cast<std::int64_t>(get_le(in, 8));
    if (v < LONG_MIN || v > LONG_MAX) sys_error(DATA_CORRUPT, "a long out of range");
    return static_cast<long>(v);
}

void BinaryFile::write_double(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    unsigned char out[9] = {kTagDouble};
    put_le(out + 1, bits, 8);
    put(out, sizeof out);
}

double BinaryFile::read_double() {
    expect_tag(kTagDouble, "a double");
    unsigned char in[8];
    get(in, sizeof in, "a double");
    std::uint64_t bits = get_le(in, 8);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void BinaryFile::write_string(const char* s, std::size_t length) {
    if (length > UINT32_MAX)
        sys_error(VALUE_TOO_LARGE, "a string of " + std::to_string(length) + " bytes");
    unsigned char head[5] = {kTagString};
    put_le(head + 1, length, 4);
    put(head, sizeof head);
    if (length) put(s, length);
}

std::string BinaryFile::read_string() {
    expect_tag(kTagString, "a string");
    unsigned char head[4];
    get(head, sizeof head, "a string");
    std::size_t left = static_cast<std::size_t>(get_le(head, 4));
    std::string s;
    while (left) {
        std::size_t n = std::min(left, kReadPiece);
        std::size_t at = s.size();
        s.resize(at + n);
        get(&s[at], n, "a string");
        left -= n;
    }
    return s;
}

void BinaryFile::write_id_level(const char* name, int level) {
    std::size_t length = name ? std::strlen(name) : 0;
    if (length == 0 || length > 255 || level < 0 || level > 255)
        sys_error(VALUE_TOO_LARGE, std::string("type name \"") + (name ? name : "") +
                                       "\" at level " + std::to_string(level));
    unsigned char head[3] = {kTagId, static_cast<unsigned char>(level),
                             static_cast<unsigned char>(length)};
    put(head, sizeof head);
    put(name, length);
}

int BinaryFile::read_id_level(std::string& name) {
    expect_tag(kTagId, "a type name");
    unsigned char head[2];
    get(head, sizeof head, "a type name");
    if (head[1] == 0)
        sys_error(DATA_CORRUPT, "an empty type name at byte " + std::to_string(set_mark()));
    std::string text(head[1], '\0');
    get(&text[0], text.size(), "a type name");
    name.swap(text);
    return head[0];
}

void BinaryFile::write_terminator() {
    unsigned char tag = kTagTerminator;
    put(&tag, 1);
}

void BinaryFile::read_terminator() {
    expect_tag(kTagTerminator, "the end of an entity record");
}

// ---- typed values of the save or restore in progress

void write_long(long v) {
    acis_detail::current_file().write_long(v);
}

long read_long() {
    return acis_detail::current_file().read_long();
}

void write_double(double v) {
    acis_detail::current_file().write_double(v);
}

double read_double() {
    return acis_detail::current_file().read_double();
}

void write_string(const char* s) {
    acis_detail::current_file().write_string(s ? s : "", s ? std::strlen(s) : 0);
}

void write_string(const std::string& s) {
    acis_detail::current_file().write_string(s.data(), s.size());
}

std::string read_string() {
    return acis_detail::current_file().read_string();
}

void write_id_level(const char* name, int level) {
    acis_detail::current_file().write_id_level(name, level);
}

void write_ptr(const ENTITY* e, ENTITY_LIST& list) {
    FileInterface& file = acis_detail::current_file();
    file.write_long(e ? list.add(const_cast<ENTITY*>(e)) : -1);
}

long read_ptr() {
    FileInterface& file = acis_detail::current_file();
    long index = file.read_long();
    long records = acis_detail::current().records;
    if (index < -1 || index >= records)
        sys_error(DATA_CORRUPT, "entity reference " + std::to_string(index) + " of " +
                                    std::to_string(records) + " records, before byte " +
                                    std::to_string(file.set_mark()));
    return index;
}
