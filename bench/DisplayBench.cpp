// Redrawing the work canvas: a 1920 x 1080 window in the middle of a 6000 x 4000
// picture shown at zoom 100, 250 and 1000, painted into an offscreen image the way
// a scrolled canvas paints (painter moved by the scroll position, clipped to the
// exposed rectangle). The baseline draws an already scaled image of the window's
// size with QPainter::drawImage into the same kind of image.
#include "BenchSupport.h"
#include "DrawDib.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstring>

namespace {

constexpr int kPictureWidth = 6000, kPictureHeight = 4000;
constexpr int kViewWidth = 1920, kViewHeight = 1080;

struct Fixture {
    Picture picture = benchPicture(kPictureWidth, kPictureHeight, 24);
    QImage view{kViewWidth, kViewHeight, QImage::Format_RGB32};
    QImage scaled{kViewWidth, kViewHeight, QImage::Format_RGB32};

    Fixture()
    {
        for (int y = 0; y < kPictureHeight; ++y) {
            uint8_t *row = picture->poi + int64_t(y) * picture->bytew;
            for (int x = 0; x < 3 * kPictureWidth; ++x)
                row[x] = uint8_t(x * 7 + y * 13);
        }
        view.fill(Qt::black);
        scaled.fill(QColor(90, 120, 150));
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void Baseline_DrawScaledImage(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        QPainter painter(&f.view);
        painter.drawImage(0, 0, f.scaled);
        painter.end();
        benchmark::DoNotOptimize(f.view.constBits());
    }
}
BENCHMARK(Baseline_DrawScaledImage)->Unit(benchmark::kMillisecond);

void RedrawCanvas(benchmark::State &state)
{
    Fixture &f = fixture();
    const int zoom = int(state.range(0));
    const int w = int(kPictureWidth * double(zoom) / 100), h = int(kPictureHeight * double(zoom) / 100);
    const QPoint scroll(std::max(0, (w - kViewWidth) / 2), std::max(0, (h - kViewHeight) / 2));
    for (auto _ : state) {
        QPainter painter(&f.view);
        painter.translate(-scroll);
        painter.setClipRect(QRect(scroll, QSize(kViewWidth, kViewHeight)));
        DrawDib(painter, 0, 0, w, h, f.picture, 0, 0, kPictureWidth, kPictureHeight, true, SRCCOPY);
        painter.end();
        benchmark::DoNotOptimize(f.view.constBits());
    }
}
BENCHMARK(RedrawCanvas)->Arg(100)->Arg(250)->Arg(1000)->Unit(benchmark::kMillisecond);

// For comparison: the picture's rows handed to QPainter as they are, wrapped
// without copying as BGR888, at zoom 100.
void Reference_WrappedRowsAt100(benchmark::State &state)
{
    Fixture &f = fixture();
    const QPoint scroll((kPictureWidth - kViewWidth) / 2, (kPictureHeight - kViewHeight) / 2);
    for (auto _ : state) {
        QPainter painter(&f.view);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (int j = 0; j < kViewHeight; ++j) {
            const uint8_t *row = f.picture->poi + int64_t(kPictureHeight - 1 - scroll.y() - j) * f.picture->bytew +
                                 3 * scroll.x();
            painter.drawImage(0, j, QImage(row, kViewWidth, 1, 3 * kViewWidth, QImage::Format_BGR888));
        }
        painter.end();
        benchmark::DoNotOptimize(f.view.constBits());
    }
}
BENCHMARK(Reference_WrappedRowsAt100)->Unit(benchmark::kMillisecond);

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
