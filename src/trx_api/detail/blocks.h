#pragma once

// Internal: memory for the large buffers of the binary path.
//
// A payload of hundreds of megabytes is written into memory that is fresh each time, and on
// small pages every 4 KiB of it costs a fault (measured: about 3 ms per megabyte on a
// virtual machine, more than deflating it). Large blocks are therefore whole mappings that
// the kernel is asked to back with huge pages; small ones come from malloc.

#include <cstddef>

namespace trx::detail {

// Blocks of at least this size are mappings of their own.
constexpr std::size_t kLargeBlock = std::size_t(2) << 20;

// Uninitialised memory for `size` bytes, aligned for any scalar; throws std::bad_alloc.
void* allocateBlock(std::size_t size);
// The block at `block` (null: none) with room for `size` bytes; the first min(old, new) bytes
// are kept. Large blocks grow by moving their pages, not their bytes.
void* resizeBlock(void* block, std::size_t oldSize, std::size_t size);
// Frees what allocateBlock or resizeBlock gave (null is ignored).
void freeBlock(void* block) noexcept;

// Asks for huge pages under the whole huge pages inside [p, p + bytes): for large memory that
// others allocate (a vector's reserve) before it is first written. Advice only.
void adviseHugePages(void* p, std::size_t bytes) noexcept;

}  // namespace trx::detail
