#include "Picture.h"

#include <cstdlib>

std::vector<int32_t> rowoffsets;

void freedib(dib &d)
{
    if (d.poi == nullptr)
        return;
    if (d.poih != 0 && d.poih != d.pmih)
        std::free(reinterpret_cast<void *>(d.poih));
    if (d.pmih != 0)
        std::free(reinterpret_cast<void *>(d.pmih));
    d.pmih = 0;
    d.poih = 0;
    d.pmi = nullptr;
    d.poi = nullptr;
}

int32_t dibwidth(const dib &d) { return d.pmi ? d.pmi->bmiHeader.biWidth : 0; }

int32_t dibheight(const dib &d) { return d.pmi ? d.pmi->bmiHeader.biHeight : 0; }

int32_t dibbits(const dib &d) { return d.pmi ? d.pmi->bmiHeader.biBitCount : 0; }

int64_t dibcolors(const dib &d)
{
    int64_t colours = 1;
    for (int32_t i = 0; i < dibbits(d); ++i)
        colours *= 2;
    return colours;
}

void RebuildRowOffsets(const dib &di)
{
    const int32_t height = dibheight(di);
    rowoffsets.assign(height > 0 ? size_t(height) : 0, 0);
    for (int32_t y = 0; y < height; ++y)
        rowoffsets[size_t(y)] = (height - 1 - y) * di.bytew;
}

void ReleaseRowOffsets()
{
    rowoffsets.clear();
    rowoffsets.shrink_to_fit();
}
