// The plain arithmetic behind the status bar and the caption.
#include "StatusBar.h"

#include <QDir>
#include <gtest/gtest.h>

struct GaugeCase {
    PixelRect panel;
    int32_t position;
    int32_t split;
};

class GaugeSplit : public testing::TestWithParam<GaugeCase> {};

TEST_P(GaugeSplit, FillsFromTheLeftEdgeTruncating)
{
    const GaugeCase &c = GetParam();
    EXPECT_EQ(gaugeSplit(c.panel, c.position), c.split);
    const PixelRect filled = gaugeFilledRect(c.panel, c.position);
    EXPECT_EQ(filled, (PixelRect{c.panel.left, c.panel.top, c.split, c.panel.bottom}));
}

INSTANTIATE_TEST_SUITE_P(Panels, GaugeSplit, testing::Values(
    GaugeCase{{0, 2, 800, 18}, 37, 296},     // 800 pixels at 37 per cent
    GaugeCase{{253, 3, 1053, 18}, 37, 549},  // measured from the panel's left edge
    GaugeCase{{253, 3, 1053, 18}, 0, 253},
    GaugeCase{{253, 3, 1053, 18}, 100, 1053},
    GaugeCase{{10, 0, 17, 5}, 99, 16},       // 6.93 cut to 6
    GaugeCase{{0, 0, 3, 5}, 50, 1}));

struct CaptionCase {
    const char *file;
    bool changed;
    const char *caption;
};

class Caption : public testing::TestWithParam<CaptionCase> {};

TEST_P(Caption, NamesTheFileAndMarksChanges)
{
    const CaptionCase &c = GetParam();
    const QString file = QDir::toNativeSeparators(QString::fromUtf8(c.file));
    EXPECT_EQ(captionText(QStringLiteral("MERIDAN Nuanza 1.5"), file, c.changed).toStdString(),
              std::string(c.caption));
}

INSTANTIATE_TEST_SUITE_P(States, Caption, testing::Values(
    CaptionCase{"", true, "MERIDAN Nuanza 1.5 - [unbenannt.jpg*]"},
    CaptionCase{"", false, "MERIDAN Nuanza 1.5 - [unbenannt.jpg]"},
    CaptionCase{"/home/anna/Bilder/opa.jpg", false, "MERIDAN Nuanza 1.5 - [opa.jpg]"},
    CaptionCase{"/home/anna/Bilder/opa.jpg", true, "MERIDAN Nuanza 1.5 - [opa.jpg*]"},
    CaptionCase{"/home/anna/Alte Bilder/Oma und Opa.tif", false,
                "MERIDAN Nuanza 1.5 - [Oma und Opa.tif]"}));
