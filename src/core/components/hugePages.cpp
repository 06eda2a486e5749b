#include "hugePages.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace HugePages {

void prefer(char* data, qsizetype size)
{
#ifdef Q_OS_LINUX
    if (size < WorthBytes)
        return;
    constexpr quintptr Page = quintptr(2) << 20;
    const quintptr start = (quintptr(data) + Page - 1) & ~(Page - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(Page - 1);
    // Only advice: where the system has no such pages, the buffer is as before.
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

} // namespace HugePages
