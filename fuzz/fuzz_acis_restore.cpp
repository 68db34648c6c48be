#include <algorithm>
#include <cstring>

#include "acis/acis.h"
#include "fuzz_common.h"
#include "trx_api/trx_api.h"

namespace {

// Saved data straight from memory.
class MemoryFile : public BinaryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    FilePosition set_mark() override { return static_cast<FilePosition>(m_pos); }
    FilePosition goto_mark(FilePosition pos) override {
        if (pos >= 0 && static_cast<std::size_t>(pos) <= m_size) m_pos = static_cast<std::size_t>(pos);
        return static_cast<FilePosition>(m_pos);
    }

protected:
    std::size_t read(void* buf, std::size_t length, logical) override {
        const std::size_t n = std::min(length, m_size - m_pos);
        if (n) std::memcpy(buf, m_data + m_pos, n);
        m_pos += n;
        return n;
    }
    void write(const void*, std::size_t, logical) override {}

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    ENTITY_LIST list;
    outcome result = api_restore_entity_list_file(&file, list);
    if (result.ok()) {
        fuzz::loseRestored(list);
    } else if (list.count() != 0) {
        __builtin_trap();  // a failed restore must append nothing
    }
    return 0;
}
