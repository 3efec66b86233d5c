#include "Picture.h"

#include "PictureMemory.h"

#include <cstdlib>
#include <cstring>
#include <utility>

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

RowTable rowTableOf(const dib &d)
{
    const int32_t height = dibheight(d);
    RowTable rows(height > 0 ? size_t(height) : 0);
    for (int32_t y = 0; y < height; ++y)
        rows[size_t(y)] = (height - 1 - y) * d.bytew;
    return rows;
}

Picture::Picture(int32_t width, int32_t height, int32_t bits, int32_t paletteEntries)
{
    newdib(&d, width, height, bits, nullptr, paletteEntries);
}

Picture::Picture(Picture &&other) noexcept
    : d(std::exchange(other.d, emptydib())), rowTable(std::move(other.rowTable)),
      rowsHeight(std::exchange(other.rowsHeight, 0)), rowsBytew(std::exchange(other.rowsBytew, 0))
{
    other.rowTable.clear();
}

Picture &Picture::operator=(Picture &&other) noexcept
{
    if (this != &other) {
        freedib(d);
        d = std::exchange(other.d, emptydib());
        rowTable = std::move(other.rowTable);
        other.rowTable.clear();
        rowsHeight = std::exchange(other.rowsHeight, 0);
        rowsBytew = std::exchange(other.rowsBytew, 0);
    }
    return *this;
}

const RowTable &Picture::rows() const
{
    const int32_t height = dibheight(d);
    if (height != rowsHeight || d.bytew != rowsBytew || rowTable.size() != size_t(height > 0 ? height : 0)) {
        rowTable = rowTableOf(d);
        rowsHeight = height;
        rowsBytew = d.bytew;
    }
    return rowTable;
}

dib Picture::release()
{
    rowTable.clear();
    rowsHeight = rowsBytew = 0;
    return std::exchange(d, emptydib());
}

void Picture::reset(const dib &owned)
{
    if (owned.poi != d.poi || owned.pmi != d.pmi)
        freedib(d);
    d = owned;
}

Picture copyOf(const dib &picture)
{
    if (picture.poi == nullptr || dibbits(picture) != 24)
        return Picture();
    Picture copy(dibwidth(picture), dibheight(picture), 24);
    if (copy.empty() || copy->bytew != picture.bytew)
        return Picture();
    preferLargePages(copy); // a fresh block of this size costs more in page faults than in copying
    std::memcpy(copy->poi, picture.poi, size_t(dibheight(picture)) * size_t(picture.bytew));
    return copy;
}
