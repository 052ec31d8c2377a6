#include "ZunoHttpLineReader.h"
#include "ZunoHttpError.h"

#include <gtest/gtest.h>

namespace {

// Feeds the chunks in order and collects every line, the unterminated last one included.
QStringList linesOf(const std::vector<QByteArray> &chunks)
{
    ZunoHttpLineReader reader;
    QStringList lines;
    for (const QByteArray &chunk : chunks)
        lines += reader.feed(chunk);
    if (const std::optional<QString> last = reader.finish())
        lines.append(*last);
    return lines;
}

} // namespace

TEST(ZunoHttpLineReader, SplitsAtEverySeparatorAcrossChunks)
{
    const QByteArray euro = "\xE2\x82\xAC"; // U+20AC, three bytes
    struct Case {
        const char *name;
        std::vector<QByteArray> chunks;
        QStringList lines;
    };
    const Case cases[] = {
        { "LF", { "a\nb\n" }, { "a", "b" } },
        { "CR LF", { "a\r\nb\r\n" }, { "a", "b" } },
        { "lone CR", { "a\rb\r" }, { "a", "b" } },
        { "mixed, with empty lines kept", { "a\n\nb\r\n\r\nc\r\rd" }, { "a", "", "b", "", "c", "", "d" } },
        { "CR LF split between chunks", { "a\r", "\nb\r", "", "\nc" }, { "a", "b", "c" } },
        { "CR at a chunk end, then a new line", { "a\r", "b\n" }, { "a", "b" } },
        { "line split over chunks", { "da", "ta: {", "}\n" }, { "data: {}" } },
        { "UTF-8 sequence split", { "x" + euro.left(1), euro.mid(1, 1), euro.mid(2) + "y\n" },
            { QStringLiteral("x\u20ACy") } },
        { "last line without separator", { "a\nlast" }, { "a", "last" } },
        { "separator only at the end gives no extra line", { "a\n" }, { "a" } },
        { "invalid UTF-8 is replaced",
            { "a\xFF"
              "b\n" },
            { QStringLiteral("a\uFFFDb") } },
        { "nothing", {}, {} },
    };
    for (const Case &c : cases)
        EXPECT_EQ(linesOf(c.chunks), c.lines) << c.name;
}

TEST(ZunoHttpLineReader, RefusesALineOverOneMebibyte)
{
    const QByteArray fits(ZunoHttpLineReader::kMaxLineBytes, 'a');
    EXPECT_EQ(linesOf({ fits.left(1000), fits.mid(1000), "\n" }).value(0).size(), fits.size());

    ZunoHttpLineReader reader;
    reader.feed(fits);
    try {
        reader.feed("b");
        FAIL() << "an overlong line was accepted";
    } catch (const ZunoHttpError &error) {
        EXPECT_EQ(error.kind(), ZunoHttpError::Kind::badServerResponse);
    }

    // Also when the separator arrives in the same chunk as the excess.
    ZunoHttpLineReader other;
    EXPECT_THROW(other.feed(fits + "b\n"), ZunoHttpError);
}
