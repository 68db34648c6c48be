#include "blocks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

#ifndef MREMAP_MAYMOVE
#    include <linux/mman.h>
#endif

namespace trx::detail {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Every block starts with its mapping's size (0: from malloc); the rest keeps the alignment
// that malloc gives.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

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

}  // namespace

void* allocateBlock(std::size_t size) {
    if (size > SIZE_MAX - kHeader - kHugePage) throw std::bad_alloc();
    const std::size_t total = size + kHeader;
    if (total >= kLargeBlock) {
        const std::size_t mapped = roundUp(total, kHugePage);
        if (void* block = mapAligned(mapped)) {
            *static_cast<std::size_t*>(block) = mapped;
            return static_cast<char*>(block) + kHeader;
        }
        throw std::bad_alloc();
    }
    void* block = std::malloc(total);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = 0;
    return static_cast<char*>(block) + kHeader;
}

void* resizeBlock(void* p, std::size_t oldSize, std::size_t size) {
    if (p == nullptr) return allocateBlock(size);
    void* block = static_cast<char*>(p) - kHeader;
    const std::size_t mapped = *static_cast<std::size_t*>(block);
    if (mapped != 0 && size <= SIZE_MAX - kHeader - kHugePage) {
        const std::size_t wanted = roundUp(size + kHeader, kHugePage);
        if (wanted == mapped) return p;
        void* moved = mremap(block, mapped, wanted, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) throw std::bad_alloc();
        madvise(moved, wanted, MADV_HUGEPAGE);
        *static_cast<std::size_t*>(moved) = wanted;
        return static_cast<char*>(moved) + kHeader;
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
    if (bytes >= kLargeBlock && first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void freeBlock(void* p) noexcept {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - kHeader;
    const std::size_t mapped = *static_cast<std::size_t*>(block);
    if (mapped != 0) {
        munmap(block, mapped);
    } else {
        std::free(block);
    }
}

}  // namespace trx::detail
