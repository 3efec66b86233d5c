// The program's side of pictures: release, queries, row offsets, and the owning
// `Picture`. Raw `dib` records appear only where the imaging library's C
// interface hands them over or takes them.
#pragma once

#include "bildkern3.h"

#include <cstdint>
#include <vector>

// Byte offsets of a picture's rows, the top row first (rows lie bottom-up in the
// pixel block).
using RowTable = std::vector<int32_t>;

// Releases the picture's memory once and clears its pointers and handles; a
// descriptor without pixel memory (null poi) is left as it is.
void freedib(dib &d);

int32_t dibwidth(const dib &d);
int32_t dibheight(const dib &d);
int32_t dibbits(const dib &d);
// 2 to the power of the bits per pixel; 1 when there is no picture.
int64_t dibcolors(const dib &d);

// The row table of `d`; empty when there is no picture.
RowTable rowTableOf(const dib &d);

// A zeroed descriptor: no picture.
inline dib emptydib() { return dib{}; }

// Owns one picture of the imaging library and releases it once. Its row table
// follows the picture: after an in-place change of geometry (a depth
// conversion, a new record) `rows()` gives the table of what is there now.
class Picture {
public:
    Picture() = default;
    // Takes over `owned`, which the caller no longer releases.
    explicit Picture(const dib &owned) : d(owned) {}
    // A new picture from the library; empty when there is no memory for it.
    Picture(int32_t width, int32_t height, int32_t bits, int32_t paletteEntries = 0);
    ~Picture() { freedib(d); }

    Picture(Picture &&other) noexcept;
    Picture &operator=(Picture &&other) noexcept;
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    // The record, for pixel work and the library's calls; changing its
    // geometry in place is allowed (the row table follows).
    dib &get() { return d; }
    const dib &get() const { return d; }
    dib *operator->() { return &d; }
    const dib *operator->() const { return &d; }
    // Reading needs no ceremony: a picture stands wherever a `const dib &` does.
    operator const dib &() const { return d; }

    bool empty() const { return d.poi == nullptr; }
    int32_t width() const { return dibwidth(d); }
    int32_t height() const { return dibheight(d); }
    int32_t bits() const { return dibbits(d); }

    const RowTable &rows() const;

    // Hands the record to the caller, who releases it; this picture is empty.
    dib release();
    // Releases the picture held and takes over `owned`.
    void reset(const dib &owned = emptydib());

private:
    dib d = emptydib();
    // Built for `rowsHeight` rows of `rowsBytew` bytes, and rebuilt when either differs.
    mutable RowTable rowTable;
    mutable int32_t rowsHeight = 0;
    mutable int32_t rowsBytew = 0;
};

// A new 24-bit picture with the pixels of `picture` (24 bits); empty when memory
// runs out or `picture` is not a 24-bit picture.
Picture copyOf(const dib &picture);
