#include "blocks.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <sys/mman.h>

#ifndef MREMAP_MAYMOVE
#    include <linux/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#    define TRX_BLOCKS_FROM_MALLOC 1
#elif defined(__has_feature)
#    if __has_feature(address_sanitizer)
#        define TRX_BLOCKS_FROM_MALLOC 1
#    endif
#endif

namespace trx::detail {
namespace {

#ifdef TRX_BLOCKS_FROM_MALLOC
// The sanitizer must see every block to find its misuse.
constexpr bool kMapBlocks = false;
#else
constexpr bool kMapBlocks = true;
#endif

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Mappings below a huge page grow in these steps, so that freed ones fit again.
constexpr std::size_t kGranule = std::size_t(64) << 10;
// Every block starts with its mapping's size (0: from malloc); the rest keeps the alignment
// that malloc gives.
constexpr std::size_t kHeader = alignof(std::max_align_t);
// Freed mappings kept for the next transfer, at most this much in all.
constexpr std::size_t kRetainLimit = std::size_t(512) << 20;

std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

std::size_t mappingFor(std::size_t total) {
    return roundUp(total, total >= kHugePage ? kHugePage : kGranule);
}

// A mapping aligned to a huge page, so that all of it can be backed by huge pages.
void* mapAligned(std::size_t size) {
    const std::size_t span = size + kHugePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = roundUp(start, kHugePage);
    if (aligned != start) munmap(raw, aligned - start);
    if (const std::size_t tail = start + span - (aligned + size)) {
        munmap(reinterpret_cast<void*>(aligned + size), tail);
    }
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, size, MADV_HUGEPAGE);  // advice only: small pages still work
    return block;
}

void* mapFresh(std::size_t mapped) {
    if (mapped >= kHugePage) return mapAligned(mapped);
    void* block = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

// Mappings freed and kept, by size. On a virtual machine the first touch of a page costs
// more than anything done with it afterwards; a sender or receiver that moves one large
// object after another reuses the same pages instead.
class Retained {
public:
    // A kept mapping of at least `mapped` bytes and not much more; its size in `mapped`.
    void* take(std::size_t& mapped) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_blocks.lower_bound(mapped);
        if (it == m_blocks.end() || it->first > mapped + mapped / 4) return nullptr;
        void* block = it->second;
        mapped = it->first;
        m_bytes -= mapped;
        m_blocks.erase(it);
        return block;
    }
    // Keeps the mapping, or unmaps it when the limit is reached.
    void give(void* block, std::size_t mapped) noexcept {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_bytes + mapped <= kRetainLimit) {
                try {
                    m_blocks.emplace(mapped, block);
                    m_bytes += mapped;
                    return;
                } catch (const std::bad_alloc&) {
                    // not kept, then
                }
            }
        }
        munmap(block, mapped);
    }
    void release() noexcept {
        std::multimap<std::size_t, void*> blocks;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            blocks.swap(m_blocks);
            m_bytes = 0;
        }
        for (const auto& [mapped, block] : blocks) munmap(block, mapped);
    }

private:
    std::mutex m_mutex;
    std::multimap<std::size_t, void*> m_blocks;
    std::size_t m_bytes = 0;
};

// Never destroyed: blocks may still be freed while the program ends.
Retained& retained() {
    static Retained* const r = new Retained;
    return *r;
}

void* withHeader(void* block, std::size_t mapped) {
    *static_cast<std::size_t*>(block) = mapped;
    return static_cast<char*>(block) + kHeader;
}

}  // namespace

void* allocateBlock(std::size_t size) {
    if (size > SIZE_MAX - kHeader - kHugePage) throw std::bad_alloc();
    const std::size_t total = size + kHeader;
    if (kMapBlocks && total >= kMappedBlock) {
        std::size_t mapped = mappingFor(total);
        void* block = retained().take(mapped);
        if (!block) block = mapFresh(mapped);
        if (block) return withHeader(block, mapped);
        // Out of mappings (the system limits their number): malloc may still have room.
    }
    void* block = std::malloc(total);
    if (block == nullptr) throw std::bad_alloc();
    return withHeader(block, 0);
}

void* resizeBlock(void* p, std::size_t oldSize, std::size_t size) {
    if (p == nullptr) return allocateBlock(size);
    void* block = static_cast<char*>(p) - kHeader;
    const std::size_t mapped = *static_cast<std::size_t*>(block);
    if (mapped != 0 && size <= SIZE_MAX - kHeader - kHugePage) {
        const std::size_t wanted = mappingFor(size + kHeader);
        if (wanted <= mapped) return p;
        void* moved = mremap(block, mapped, wanted, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) throw std::bad_alloc();
        if (wanted >= kHugePage) madvise(moved, wanted, MADV_HUGEPAGE);
        return withHeader(moved, wanted);
    }
    void* bigger = allocateBlock(size);
    std::memcpy(bigger, p, std::min(oldSize, size));
    freeBlock(p);
    return bigger;
}

void adviseHugePages(void* p, std::size_t bytes) noexcept {
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = roundUp(start, kHugePage);
    const std::uintptr_t last = (start + bytes) / kHugePage * kHugePage;
    if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void freeBlock(void* p) noexcept {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - kHeader;
    const std::size_t mapped = *static_cast<std::size_t*>(block);
    if (mapped != 0) {
        retained().give(block, mapped);
    } else {
        std::free(block);
    }
}

void releaseRetainedBlocks() noexcept { retained().release(); }

}  // namespace trx::detail
