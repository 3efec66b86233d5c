#include "PictureMemory.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

void preferLargePages(void *block, size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (block == nullptr)
        return;
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t begin = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (start + bytes) & ~(kLargePage - 1);
    // Only whole large pages inside the block; the advice never changes contents.
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

void preferLargePages(const dib &picture)
{
    if (picture.poi != nullptr && picture.pmi != nullptr)
        preferLargePages(picture.poi, picture.pmi->bmiHeader.biSizeImage);
}
