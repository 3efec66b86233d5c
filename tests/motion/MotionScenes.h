// Test sequences made from one real photograph: the grey frames a film would
// hold and their colouring as the colourist meant it, made independently of
// the code under test (plain loops, HSLToRGB).
#pragma once

#include "Pictures.h"
#include "RGBHSL.h"

#include <cmath>
#include <functional>
#include <vector>

// The grey scene: the photograph's luminance as real numbers, for resampling,
// lifted into the middle tones (40..218) where a film frame's colours show;
// near black and white no hue can be read from the bytes, so no carry-over
// could be judged there.
struct Scene {
    int width = 0, height = 0;
    std::vector<float> grey;

    explicit Scene(const dib &photo) : width(dibwidth(photo)), height(dibheight(photo))
    {
        grey.resize(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t c = rgbAt(photo, x, y);
                grey[size_t(y) * size_t(width) + size_t(x)]
                    = 40.0f + 0.7f * float(SourceLuminance(int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF)));
            }
    }

    // Bilinear, the edges repeated.
    float at(double x, double y) const
    {
        x = std::clamp(x, 0.0, double(width - 1));
        y = std::clamp(y, 0.0, double(height - 1));
        const int x0 = std::min(int(x), width - 2), y0 = std::min(int(y), height - 2);
        const double fx = x - x0, fy = y - y0;
        const float *r0 = &grey[size_t(y0) * size_t(width)], *r1 = r0 + width;
        return float((r0[x0] * (1 - fx) + r0[x0 + 1] * fx) * (1 - fy) + (r1[x0] * (1 - fx) + r1[x0 + 1] * fx) * fy);
    }
};

// What one frame pixel shows: its grey and the hue and saturation it is meant to have.
struct Content {
    float grey;
    int hue, sat;
};

// A colourist's colouring of the scene: a few areas of one colour each (cells
// around seed points), the colour drifting a little across each area.
inline void sceneColour(double x, double y, int &hue, int &sat)
{
    static const struct {
        double x, y;
        int hue, sat;
    } seeds[] = {{80, 90, 20, 190}, {380, 70, 150, 160}, {250, 300, 40, 220}, {90, 480, 200, 170},
                 {420, 520, 100, 200}};
    int best = 0;
    double bestDistance = 1e30;
    for (int i = 0; i < 5; ++i) {
        const double d = (x - seeds[i].x) * (x - seeds[i].x) + (y - seeds[i].y) * (y - seeds[i].y);
        if (d < bestDistance)
            bestDistance = d, best = i;
    }
    hue = seeds[best].hue + int(std::lround(x * 0.03));
    sat = seeds[best].sat - int(std::lround(y * 0.03));
}

// The grey frame and its intended colouring, both 24 bits.
struct Frame {
    Picture grey, truth;
};

inline Frame makeFrame(int width, int height, const std::function<Content(int x, int y)> &content)
{
    Frame frame{Picture(width, height, 24), Picture(width, height, 24)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Content c = content(x, y);
            const int g = std::clamp(int(std::lround(c.grey)), 0, 255);
            setPixel(frame.grey.get(), x, y, uint8_t(g), uint8_t(g), uint8_t(g));
            int red, green, blue;
            HSLToRGB(c.hue, c.sat, SourceLuminance(g, g, g), red, green, blue);
            setPixel(frame.truth.get(), x, y, uint8_t(blue), uint8_t(green), uint8_t(red));
        }
    return frame;
}

// The scene seen through a window whose top-left corner is at (left, top),
// magnified by `zoom` about the window's centre.
inline Frame sceneFrame(const Scene &scene, int width, int height, double left, double top, double zoom = 1)
{
    return makeFrame(width, height, [&](int x, int y) {
        const double sx = left + width / 2.0 + (x - width / 2.0) / zoom;
        const double sy = top + height / 2.0 + (y - height / 2.0) / zoom;
        Content c{scene.at(sx, sy), 0, 0};
        sceneColour(sx, sy, c.hue, c.sat);
        return c;
    });
}

// A cut-out: an ellipse of the scene, mirrored, with its own colouring, laid
// with its top-left corner at (left, top) over the still scene window.
struct CutOut {
    double sourceX = 300, sourceY = 60; // where it is cut from the scene
    double width = 120, height = 140;

    bool covers(double u, double v) const
    {
        const double a = (u - width / 2) / (width / 2), b = (v - height / 2) / (height / 2);
        return a * a + b * b <= 1;
    }
};

inline Frame subjectFrame(const Scene &scene, int width, int height, const CutOut &cut, double left, double top)
{
    return makeFrame(width, height, [&](int x, int y) {
        const double u = x - left, v = y - top;
        if (!cut.covers(u, v)) {
            Content c{scene.at(x + 30, y + 30), 0, 0};
            sceneColour(x + 30, y + 30, c.hue, c.sat);
            return c;
        }
        return Content{scene.at(cut.sourceX + cut.width - u, cut.sourceY + v), 170 + int(std::lround(u * 0.5)),
                       200 - int(std::lround(v * 0.3))};
    });
}
