#include "blocks.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>
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

// Mappings freed and kept for reuse. On a virtual machine the first touch of a page costs
// more than anything done with it afterwards; a sender or receiver that moves one large
// object after another reuses the same pages instead. At the limit the mappings freed
// longest ago go first: the next transfer most likely needs what the last one freed.
// There are at most a few thousand of them (the limit over kMappedBlock), so one array in
// the order of freeing, searched whole, is enough; among equals the newest is taken.
class Retained {
public:
    // A kept mapping of at least `mapped` bytes and not much more; its size in `mapped`.
    void* take(std::size_t& mapped) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        auto best = m_kept.end();
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (it->mapped >= mapped && it->mapped <= mapped + mapped / 4 &&
                (best == m_kept.end() || it->mapped <= best->mapped)) {
                best = it;
            }
        }
        if (best == m_kept.end()) return nullptr;
        void* block = best->block;
        mapped = best->mapped;
        m_bytes -= mapped;
        m_kept.erase(best);
        return block;
    }
    // Keeps the mapping, unmapping those freed longest ago to make room.
    void give(void* block, std::size_t mapped) noexcept {
        std::vector<Kept> evicted;
        bool kept = false;
        if (mapped <= kRetainLimit) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            try {
                std::size_t oldest = 0, freed = 0;
                while (m_bytes - freed + mapped > kRetainLimit) freed += m_kept[oldest++].mapped;
                const auto count = static_cast<std::ptrdiff_t>(oldest);
                evicted.assign(m_kept.begin(), m_kept.begin() + count);
                m_kept.push_back({block, mapped});
                m_kept.erase(m_kept.begin(), m_kept.begin() + count);
                m_bytes += mapped - freed;
                kept = true;
            } catch (const std::bad_alloc&) {
                evicted.clear();  // nothing changed: not kept, then
            }
        }
        for (const Kept& k : evicted) munmap(k.block, k.mapped);
        if (!kept) munmap(block, mapped);
    }
    void release() noexcept {
        std::vector<Kept> kept;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            kept.swap(m_kept);
            m_bytes = 0;
        }
        for (const Kept& k : kept) munmap(k.block, k.mapped);
    }

private:
    struct Kept {
        void* block;
        std::size_t mapped;
    };
    std::mutex m_mutex;
    std::vector<Kept> m_kept;  // oldest first
    std::size_t m_bytes = 0;
};

// Never destroyed: blocks may still be freed while the program ends.
Retained& retained() {
    static Retained* const r = new Retained;
    return *r;
}

void* withHeader(void* block, std::size_t mapped) {
    *static_cast<std::size_t*>(block) = mapped;
    return static_cast<char*>(block) + kBlockHeader;
}

}  // namespace

void* allocateBlock(std::size_t size) {
    if (size > SIZE_MAX - kBlockHeader - kHugePage) throw std::bad_alloc();
    const std::size_t total = size + kBlockHeader;
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
    void* block = static_cast<char*>(p) - kBlockHeader;
    const std::size_t mapped = *static_cast<std::size_t*>(block);
    if (mapped != 0 && size <= SIZE_MAX - kBlockHeader - kHugePage) {
        const std::size_t wanted = mappingFor(size + kBlockHeader);
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
    void* block = static_cast<char*>(p) - kBlockHeader;
    const std::size_t mapped = *static_cast<std::size_t*>(block);
    if (mapped != 0) {
        retained().give(block, mapped);
    } else {
        std::free(block);
    }
}

void releaseRetainedBlocks() noexcept { retained().release(); }

}  // namespace trx::detail
