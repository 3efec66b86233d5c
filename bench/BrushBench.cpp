// Painting on a 6000 x 4000 picture with the largest brush (radius 100):
// - one stroke segment of 50 picture pixels, as the tools paint it (each pixel of
//   the segment's area once) and, for comparison, dab by dab as the classic rule
//   states it;
// - the segment plus the redraw of a 1920 x 1080 window of the canvas at zoom 100
//   and 400, once the whole window and once only the changed rectangle (what the
//   canvas repaints);
// - a whole stroke across the picture in segments of 50 pixels.
//   bench_brush --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "BenchSupport.h"
#include "Brush.h"
#include "DrawDib.h"
#include "PixelOps.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;
constexpr int kViewWidth = 1920, kViewHeight = 1080;
constexpr int kRadius = 100;

struct Pictures {
    Picture di = benchPicture(kWidth, kHeight, 24), outdi = benchPicture(kWidth, kHeight, 24);
    const RowTable &rows = di.rows();
    QImage view{kViewWidth, kViewHeight, QImage::Format_RGB32};

    Pictures()
    {
        fillLikeAPhotograph(di);
        std::memcpy(outdi->poi, di->poi, size_t(di->bytew) * kHeight);
        view.fill(Qt::black);
    }
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

// The colour changes from one iteration to the next, as a user's would.
BrushAction colouring(int iteration)
{
    BrushAction action;
    action.mode = BrushMode::Colourise;
    action.radius = kRadius;
    action.hue = iteration % 256;
    action.sat = 141;
    return action;
}

constexpr int kX1 = 2975, kY1 = 1990, kX2 = 3025, kY2 = 2010; // 50 steps along x

void Segment50(benchmark::State &state)
{
    Pictures &p = pictures();
    int i = 0;
    for (auto _ : state) {
        const PixelRect changed = PaintBrushLine(p.di.get(), p.outdi.get(), p.rows, kX1, kY1, kX2, kY2, colouring(i++));
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(Segment50)->Unit(benchmark::kMillisecond);

// The classic rule for the same segment: every dab in turn, (2r + 1)² candidate
// pixels each, through DoPix.
void Segment50_DabByDab(benchmark::State &state)
{
    Pictures &p = pictures();
    int i = 0;
    for (auto _ : state) {
        const BrushAction a = colouring(i++);
        for (const PixelPoint &c : LineDabs(kX1, kY1, kX2, kY2))
            for (int px = c.x - kRadius; px <= c.x + kRadius; ++px)
                for (int py = c.y - kRadius; py <= c.y + kRadius; ++py)
                    if ((px - c.x) * (px - c.x) + (py - c.y) * (py - c.y) <= kRadius * kRadius)
                        DoPix(p.di, p.outdi.get(), p.rows, px, py, a.hue, a.sat, a.bright);
        benchmark::DoNotOptimize(p.outdi->poi);
    }
}
BENCHMARK(Segment50_DabByDab)->Unit(benchmark::kMillisecond);

// Draws the canvas window around the segment at `zoom`, limited to `clip`
// (canvas pixels), the way a scrolled canvas paints its exposed rectangle.
void redraw(Pictures &p, int zoom, const QRect &clip)
{
    const int w = int(kWidth * double(zoom) / 100), h = int(kHeight * double(zoom) / 100);
    const QPoint centre((kX1 + kX2) / 2 * zoom / 100, (kY1 + kY2) / 2 * zoom / 100);
    const QPoint scroll(std::clamp(centre.x() - kViewWidth / 2, 0, w - kViewWidth),
                        std::clamp(centre.y() - kViewHeight / 2, 0, h - kViewHeight));
    const QRect window(scroll, QSize(kViewWidth, kViewHeight));
    QPainter painter(&p.view);
    painter.translate(-scroll);
    painter.setClipRect(clip.isNull() ? window : clip.intersected(window));
    DrawDib(painter, 0, 0, w, h, p.outdi, 0, 0, kWidth, kHeight, true, SRCCOPY);
}

void SegmentAndWindowRedraw(benchmark::State &state)
{
    Pictures &p = pictures();
    const int zoom = int(state.range(0));
    int i = 0;
    for (auto _ : state) {
        PaintBrushLine(p.di.get(), p.outdi.get(), p.rows, kX1, kY1, kX2, kY2, colouring(i++));
        redraw(p, zoom, QRect());
        benchmark::DoNotOptimize(p.view.constBits());
    }
}
BENCHMARK(SegmentAndWindowRedraw)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

void SegmentAndChangedRedraw(benchmark::State &state)
{
    Pictures &p = pictures();
    const int zoom = int(state.range(0));
    int i = 0;
    for (auto _ : state) {
        const PixelRect changed = PaintBrushLine(p.di.get(), p.outdi.get(), p.rows, kX1, kY1, kX2, kY2, colouring(i++));
        const PixelRect c = PictureToCanvas(changed, zoom);
        redraw(p, zoom, QRect(c.left, c.top, c.right - c.left, c.bottom - c.top));
        benchmark::DoNotOptimize(p.view.constBits());
    }
}
BENCHMARK(SegmentAndChangedRedraw)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

// A stroke across the whole picture, 6000 pixels in segments of 50.
void StrokeAcross(benchmark::State &state)
{
    Pictures &p = pictures();
    int i = 0;
    for (auto _ : state) {
        const BrushAction a = colouring(i++);
        for (int x = 0; x < kWidth - 1; x += 50)
            PaintBrushLine(p.di.get(), p.outdi.get(), p.rows, x, 2000, std::min(x + 50, kWidth - 1), 2000 + x / 200, a);
        benchmark::DoNotOptimize(p.outdi->poi);
    }
}
BENCHMARK(StrokeAcross)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
