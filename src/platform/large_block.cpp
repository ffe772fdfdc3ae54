#include "platform/large_block.h"

#include <sys/mman.h>

#include <cstdint>

namespace varnel {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::uintptr_t kPageMask = 4096 - 1;
constexpr std::uintptr_t kHugePageMask = kHugePage - 1;
// What the allocator adds to a request for a block it maps on its own: its
// header and rounding stay within this, so a request this much below a 2 MiB
// multiple becomes a mapping of exactly that multiple.
constexpr std::size_t kAllocatorOverhead = 64;

#ifdef __linux__
// Linux 6.1 and later; older kernels refuse it, which costs nothing.
constexpr int kCollapseAdvice = 25;  // MADV_COLLAPSE
#endif

}  // namespace

std::size_t LargeBlockRequest(std::size_t size) {
  if (size < kLargeBlockMinimum) return size;
  const std::size_t pages = (size + kAllocatorOverhead + kHugePage - 1) / kHugePage;
  return pages * kHugePage - kAllocatorOverhead;
}

void AdviseLargeBlock(const void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (!data || size < kLargeBlockMinimum) return;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = start & ~kPageMask;
  const std::uintptr_t end = (start + size + kPageMask) & ~kPageMask;
  // Advice only: a refusal leaves ordinary pages, which are correct, just slower.
  (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  // The allocator has already written its header into the block's first page,
  // so that 2 MiB stretch would go on in small pages; rebuild it as one huge
  // page now, while it holds nothing else. Only when the block starts the
  // stretch: one inside a shared heap stretch is left as it is.
  const std::uintptr_t stretch = start & ~kHugePageMask;
  if (stretch == begin && stretch + kHugePage <= end) {
    (void)madvise(reinterpret_cast<void*>(stretch), kHugePage, kCollapseAdvice);
  }
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace varnel
