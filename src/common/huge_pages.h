#pragma once

// Asks the kernel to back the whole 2 MiB pages inside a large array with huge pages:
// an array of a hundred megabytes then fills with a few dozen page faults instead of
// tens of thousands. Only a hint; nothing changes where it is not granted.
#include <cstdint>
#include <vector>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace COMMON_EX {

template <typename T>
void AdviseHugePages(const std::vector<T>& array)
{
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(array.data());
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + array.capacity() * sizeof(T)) & ~(kHugePage - 1);
    if (first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)array;
#endif
}

}  // namespace COMMON_EX
