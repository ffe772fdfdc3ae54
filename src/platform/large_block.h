#pragma once
// Large blocks (the loaded file, the page, their line lists) are written once,
// front to back, right after they are allocated. On fresh memory every 4 KiB
// page costs a fault, and faults dominate a conversion's time; backed by 2 MiB
// pages the same block costs a few. These helpers ask for that, best effort:
// where the system declines, nothing changes but the speed.

#include <cstddef>

namespace varnel {

// Blocks below this size are left to the allocator as they are.
inline constexpr std::size_t kLargeBlockMinimum = std::size_t{1} << 20;

// The number of bytes to request from operator new for a block of at least
// `size` bytes: below kLargeBlockMinimum, `size` itself; above, a size that makes
// the allocator's own mapping a whole number of 2 MiB pages, which the system
// then places on a 2 MiB boundary.
std::size_t LargeBlockRequest(std::size_t size);

// Asks for [data, data + size) to be backed by huge pages where whole ones fit.
// Call it before the block is first written; a small block is left alone.
void AdviseLargeBlock(const void* data, std::size_t size);

}  // namespace varnel
