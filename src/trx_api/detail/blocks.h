#pragma once

// Internal: memory for the large buffers of the binary path.
//
// A payload of hundreds of megabytes is written into memory that is fresh each time, and
// every page of it costs a fault on first touch (measured on a virtual machine: 1.5 to 3 ms
// per megabyte, more than deflating it). Large blocks are therefore mappings of their own,
// advised as huge pages, and freed ones are kept (up to a limit) for the next large object.
// In sanitizer builds every block comes from malloc, where the sanitizer sees its misuse.

#include <cstddef>

namespace trx::detail {

// Blocks of at least this size are mappings.
constexpr std::size_t kMappedBlock = std::size_t(256) << 10;
// Every block starts with its mapping's size (0: from malloc) in this many bytes; the rest
// keeps the alignment that malloc gives. A block of n bytes takes n + kBlockHeader.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

// Uninitialised memory for `size` bytes, aligned for any scalar; throws std::bad_alloc.
void* allocateBlock(std::size_t size);
// The block at `block` (null: none) with room for `size` bytes; the first min(old, new) bytes
// are kept. Large blocks grow by moving their pages, not their bytes.
void* resizeBlock(void* block, std::size_t oldSize, std::size_t size);
// Frees what allocateBlock or resizeBlock gave (null is ignored).
void freeBlock(void* block) noexcept;
// Unmaps the freed mappings kept for reuse.
void releaseRetainedBlocks() noexcept;

// Asks for huge pages under the whole huge pages inside [p, p + bytes): for large memory that
// others allocate (a vector's reserve) before it is first written. Advice only.
void adviseHugePages(void* p, std::size_t bytes) noexcept;

}  // namespace trx::detail
