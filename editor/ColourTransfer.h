// Carrying the colours of one picture over onto another: every pixel of the
// overlap (both aligned at the top-left corner) takes the hue and saturation of
// the model picture and keeps the luminance of the source picture, exactly as
// DoPix(x, y, hue, saturation, 0) does pixel by pixel.
#pragma once

#include "HslPixels.h"
#include "PixelOps.h"

#include <climits>
#include <memory>

// The hue and saturation of each pixel of a 24-bit picture, held as the colour
// HSLToRGB gives them at luminance 127, top row first. Made once, it serves any
// number of pictures: the hue and saturation are found once per model pixel.
class ColourModel {
public:
    // The top-left part of `picture` up to maxWidth x maxHeight. False, and an
    // empty model, when the picture is not 24 bits or memory runs out.
    bool build(const dib &picture, int maxWidth = INT_MAX, int maxHeight = INT_MAX,
               Cores cores = Cores::All);
    void clear();

    bool empty() const { return width_ <= 0 || height_ <= 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    const hslpixels::Bgr *row(int y) const { return bases_.get() + size_t(y) * size_t(width_); }

private:
    int width_ = 0, height_ = 0;
    std::unique_ptr<hslpixels::Bgr[]> bases_;
};

// For every pixel (x, y) that `di` and the model both have: pixel (x, y) of
// `outdi` := the model's colour at the luminance of pixel (x, y) of `di` (the
// luminance rule of colourising, no brightness change). Pixels outside the
// overlap keep their values. Needs `outdi` of the geometry of `di`, addressed
// through `rows` (top row first); otherwise nothing is touched.
void TransferColours(const dib &di, dib &outdi, const RowTable &rows, const ColourModel &model,
                     Cores cores = Cores::All);

// The same straight from a 24-bit model picture, for a model used once: no
// memory beyond the two pictures. False, touching nothing, when the model is
// not a 24-bit picture.
bool TransferColours(const dib &di, dib &outdi, const RowTable &rows, const dib &model,
                     Cores cores = Cores::All);

// In one pass what widening a freshly read picture to 24 bits, copying it into
// the result and TransferColours give together: `result` := `picture` at 24
// bits (an 8-bit picture through the colours of its `pal`), with the model's
// colours in the overlap. `result` is reused when it already is a 24-bit
// picture of the right size, otherwise made anew. False, with `picture` and
// `result` untouched, for depths other than 8 and 24 or when memory runs out.
bool ComposeColours(const dib &picture, dib &result, const ColourModel &model, Cores cores = Cores::All);
