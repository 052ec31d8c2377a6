#include "ZunoOCRResult.h"

#include <gtest/gtest.h>

TEST(ZunoOCRResult, FullTextJoinsLinesWithLineFeeds)
{
    const QRectF box(0.1, 0.2, 0.3, 0.4);
    struct Case {
        const char *name;
        QStringList texts;
        QString expected;
    };
    const Case cases[] = {
        { "no lines", {}, QString() },
        { "one line", { "a" }, "a" },
        { "two lines", { "a", "b" }, "a\nb" },
        { "an empty middle line", { "a", "", "c" }, "a\n\nc" },
    };
    for (const Case &c : cases) {
        QList<ZunoOCRLine> lines;
        for (const QString &text : c.texts)
            lines.append(ZunoOCRLine(text, box, 0.5f));
        EXPECT_EQ(ZunoOCRResult(lines).fullText(), c.expected) << c.name;
    }
    EXPECT_TRUE(ZunoOCRResult().fullText().isEmpty());
}

TEST(ZunoOCRResult, EqualityComparesEveryField)
{
    const ZunoOCRLine line("a", QRectF(0, 0, 1, 1), 0.5f);
    EXPECT_EQ(line, ZunoOCRLine("a", QRectF(0, 0, 1, 1), 0.5f));
    EXPECT_NE(line, ZunoOCRLine("b", QRectF(0, 0, 1, 1), 0.5f));
    EXPECT_NE(line, ZunoOCRLine("a", QRectF(0, 0, 1, 0.9), 0.5f));
    EXPECT_NE(line, ZunoOCRLine("a", QRectF(0, 0, 1, 1), 0.6f));
    EXPECT_EQ(ZunoOCRResult({ line }), ZunoOCRResult({ line }));
    EXPECT_NE(ZunoOCRResult({ line }), ZunoOCRResult({ line, line }));
}
