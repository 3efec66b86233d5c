#include "Ansi.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *utf8;
    QByteArray ansi;
};

TEST(Ansi, EncodesWindows1252)
{
    const Case cases[] = {
        {"Himmelblau", QByteArray("Himmelblau")},
        {"Gr\u00fcn \u00e4\u00f6\u00df", QByteArray("Gr\xfcn \xe4\xf6\xdf")},
        {"\u20ac und \u201e\u201c", QByteArray("\x80 und \x84\x93")},  // the 0x80..0x9F block
        {"/home/b/Bilder/", QByteArray("/home/b/Bilder/")},
        {"", QByteArray()},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.utf8);
        EXPECT_EQ(toAnsi(text), c.ansi) << c.utf8;
        EXPECT_EQ(fromAnsi(c.ansi), text) << c.utf8;
    }
}

TEST(Ansi, CharactersOutsideBecomeQuestionMarks)
{
    // Greek, CJK and a character outside the basic plane (one surrogate pair): one "?" each.
    EXPECT_EQ(toAnsi(QString::fromUtf8("a\u03a9b\u6f22c\U0001F600d")), QByteArray("a?b?c?d"));
}

TEST(Ansi, EveryByteReadsBackToItself)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromAnsi(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(toAnsi(text), all);
}

} // namespace
