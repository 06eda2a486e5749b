#include "hugePages.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace HugePages {

std::pair<quintptr, quintptr> wholePages(quintptr address, qsizetype size)
{
    constexpr quintptr Page = quintptr(2) << 20;
    const quintptr start = (address + Page - 1) & ~(Page - 1);
    const quintptr end = (address + quintptr(size)) & ~(Page - 1);
    return {start, end > start ? end - start : 0};
}

void prefer(char* data, qsizetype size)
{
#ifdef Q_OS_LINUX
    if (size < WorthBytes)
        return;
    const auto [start, bytes] = wholePages(quintptr(data), size);
    // Only advice: where the system has no such pages, the buffer is as before.
    ::madvise(reinterpret_cast<void*>(start), bytes, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

} // namespace HugePages
