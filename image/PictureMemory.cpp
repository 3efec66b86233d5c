#include "PictureMemory.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

void preferLargePages(const dib &picture)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (picture.poi == nullptr || picture.pmi == nullptr)
        return;
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t start = reinterpret_cast<uintptr_t>(picture.poi);
    const uintptr_t begin = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (start + picture.pmi->bmiHeader.biSizeImage) & ~(kLargePage - 1);
    // Only whole large pages inside the block; the advice never changes contents.
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)picture;
#endif
}
