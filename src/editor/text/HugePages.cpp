#include "editor/text/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

void AskForHugePages(char* data, std::size_t size)
{
    constexpr std::uintptr_t kHugePage = 2 << 20;
    if (size < 4 * kHugePage) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin) (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
