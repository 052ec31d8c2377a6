#include "ZunoTesseractTextRecognizer.h"
#include "ZunoVisionError.h"
#include "ZunoVisionServices.h"
#include "ZunoVisionTestImages.h"

#include <QFont>
#include <QPainter>
#include <QtConcurrent>

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <vector>

namespace {

using Level = ZunoTextRecognitionLevel;

struct Call {
    Level level;
    bool cpuOnly;
    friend bool operator==(const Call &, const Call &) = default;
};

// A recogniser whose attempts (numbered from 1) fail as told; a successful attempt reports its
// number and level as its only line, or no line at all when told to find nothing.
class FakeRecognizer : public ZunoTextRecognizer {
public:
    FakeRecognizer(std::set<int> failing, bool findsNothing = false)
        : m_failing(std::move(failing))
        , m_findsNothing(findsNothing)
    {
    }

    ZunoOCRResult recognize(
        const QImage &, const QStringList &languages, Level level, bool cpuOnly) const override
    {
        EXPECT_EQ(languages, QStringList({ "en-US", "tr-TR" }));
        m_calls.push_back({ level, cpuOnly });
        const int attempt = int(m_calls.size());
        if (m_failing.count(attempt))
            throw ZunoVisionError("fake", attempt, QStringLiteral("attempt %1 failed").arg(attempt));
        if (m_findsNothing)
            return {};
        const QString text
            = QStringLiteral("attempt %1 %2").arg(attempt).arg(level == Level::fast ? "fast" : "accurate");
        return ZunoOCRResult({ ZunoOCRLine(text, QRectF(0, 0, 1, 1), 1.0f) });
    }

    const std::vector<Call> &calls() const { return m_calls; }

private:
    std::set<int> m_failing;
    bool m_findsNothing;
    mutable std::vector<Call> m_calls;
};

QString simplified(const QString &text)
{
    return text.simplified();
}

} // namespace

TEST(ZunoVisionServicesText, TriesThreeTimesAndStopsAtTheFirstSuccess)
{
    struct Case {
        const char *name;
        bool accurate;
        std::set<int> failing;
        bool findsNothing;
        std::vector<Call> calls;
        QString fullText; // empty: an error is expected
        int errorCode;
    };
    const Case cases[] = {
        { "first succeeds without text", true, {}, true, { { Level::accurate, false } }, "", 0 },
        { "first succeeds", false, {}, false, { { Level::fast, false } }, "attempt 1 fast", 0 },
        { "second succeeds: same level, processor only", true, { 1 }, false,
            { { Level::accurate, false }, { Level::accurate, true } }, "attempt 2 accurate", 0 },
        { "third succeeds: fast even when accurate was asked", true, { 1, 2 }, false,
            { { Level::accurate, false }, { Level::accurate, true }, { Level::fast, true } },
            "attempt 3 fast", 0 },
        { "fast throughout", false, { 1, 2 }, false,
            { { Level::fast, false }, { Level::fast, true }, { Level::fast, true } }, "attempt 3 fast", 0 },
        { "all fail: the third's error", true, { 1, 2, 3 }, false,
            { { Level::accurate, false }, { Level::accurate, true }, { Level::fast, true } }, "", 3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeRecognizer recognizer(c.failing, c.findsNothing);
        const QStringList languages { "en-US", "tr-TR" };
        if (c.errorCode == 0) {
            const ZunoOCRResult result
                = ZunoVisionServices::recognizeText(QImage(), languages, c.accurate, recognizer);
            EXPECT_EQ(result.fullText(), c.fullText);
            EXPECT_EQ(result.lines.isEmpty(), c.findsNothing);
        } else {
            try {
                ZunoVisionServices::recognizeText(QImage(), languages, c.accurate, recognizer);
                ADD_FAILURE() << "no error thrown";
            } catch (const ZunoVisionError &error) {
                EXPECT_EQ(error.domain(), "fake");
                EXPECT_EQ(error.code(), c.errorCode);
            }
        }
        EXPECT_EQ(recognizer.calls(), c.calls);
    }
}

TEST(ZunoTesseractTextRecognizer, MapsLanguageCodes)
{
    struct Case {
        QString code;
        std::optional<QString> model;
    };
    const Case cases[] = {
        { "en", "eng" },
        { "en-US", "eng" },
        { "en_GB", "eng" },
        { "EN-us", "eng" },
        { "eng", "eng" },
        { "tr", "tur" },
        { "tr-TR", "tur" },
        { "tur", "tur" },
        { "de-DE", "deu" },
        { "zh-Hans", "chi_sim" },
        { "zh-Hant-TW", "chi_tra" },
        { "zh-TW", "chi_tra" },
        { "xx", std::nullopt },
        { "", std::nullopt },
        { "-", std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoTesseractTextRecognizer::tesseractLanguage(c.code), c.model) << c.code.toStdString();

    EXPECT_EQ(ZunoTesseractTextRecognizer::tesseractLanguages({}), "eng");
    EXPECT_EQ(ZunoTesseractTextRecognizer::tesseractLanguages({ "tr-TR", "en-US", "tr" }), "tur+eng");
    try {
        ZunoTesseractTextRecognizer::tesseractLanguages({ "en", "xx-YY" });
        ADD_FAILURE() << "no error thrown";
    } catch (const ZunoVisionError &error) {
        EXPECT_EQ(error.domain(), ZunoVisionError::kEngineDomain);
        EXPECT_EQ(error.code(), ZunoVisionError::UnsupportedLanguage);
        EXPECT_EQ(error.localizedDescription(), "Unsupported recognition language \"xx-YY\".");
    }
}

TEST(ZunoVisionServicesText, ReadsRenderedEnglishAndTurkishLines)
{
    struct Case {
        const char *name;
        QString text;
        QStringList languages;
        QString family;
        bool accurate;
        bool transparent;
    };
    const QString english = "The quick brown fox jumps over the lazy dog";
    const QString turkish = QString::fromUtf8("Öğrenciler İstanbul'da güneşli bir sabah çay içti");
    const Case cases[] = {
        { "English, accurate", english, { "en-US" }, "DejaVu Sans", true, false },
        { "English, fast", english, { "en" }, "Inter", false, false },
        { "English on a transparent background", english, { "en-GB" }, "DejaVu Sans", true, true },
        { "Turkish, accurate", turkish, { "tr-TR" }, "DejaVu Sans", true, false },
        { "Turkish, Inter", turkish, { "tr", "en" }, "Inter", true, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QRect textRect;
        const QImage image = ZunoVisionTestImages::textLine(c.text, c.family, 32, c.transparent, &textRect);
        const ZunoOCRResult result = ZunoVisionServices::recognizeText(image, c.languages, c.accurate);
        ASSERT_EQ(result.lines.size(), 1) << result.fullText().toStdString();
        const ZunoOCRLine &line = result.lines.first();
        EXPECT_EQ(simplified(line.text), c.text) << line.text.toStdString();
        EXPECT_EQ(result.fullText(), line.text);
        EXPECT_GT(line.confidence, 0.5f);
        EXPECT_LE(line.confidence, 1.0f);

        // Normalised, origin at the bottom left: the line drawn near the top sits high up.
        const double w = image.width();
        const double h = image.height();
        const QRectF expected(
            textRect.left() / w, (h - textRect.bottom()) / h, textRect.width() / w, textRect.height() / h);
        const QRectF box = line.boundingBox;
        EXPECT_NEAR(box.left(), expected.left(), 0.03);
        EXPECT_NEAR(box.right(), expected.right(), 0.03);
        EXPECT_GE(box.top(), expected.top() - 0.02); // bottom edge (y upwards)
        EXPECT_LE(box.bottom(), expected.bottom() + 0.02); // top edge
        EXPECT_GT(box.height(), expected.height() * 0.4);
    }
}

TEST(ZunoVisionServicesText, ImagesWithoutTextAndBadInput)
{
    QImage blank(400, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_TRUE(ZunoVisionServices::recognizeText(blank, { "en-US" }, true).lines.isEmpty());

    struct Case {
        const char *name;
        QImage image;
        QStringList languages;
        int code;
    };
    const Case cases[] = {
        { "no pixels", QImage(), { "en-US" }, ZunoVisionError::InvalidImage },
        { "unknown language", blank, { "en-US", "xx" }, ZunoVisionError::UnsupportedLanguage },
        { "language without data", blank, { "ja" }, ZunoVisionError::UnsupportedLanguage },
        { "secondary language without data", blank, { "en", "ko" }, ZunoVisionError::UnsupportedLanguage },
    };
    for (const Case &c : cases) {
        try {
            ZunoVisionServices::recognizeText(c.image, c.languages, true);
            ADD_FAILURE() << c.name << ": no error thrown";
        } catch (const ZunoVisionError &error) {
            EXPECT_EQ(error.domain(), ZunoVisionError::kEngineDomain) << c.name;
            EXPECT_EQ(error.code(), c.code) << c.name;
        }
    }
}

TEST(ZunoVisionServicesText, RunsOnSeveralThreadsAtOnce)
{
    const QString english = "Several threads read at once";
    const QImage image = ZunoVisionTestImages::textLine(english, "DejaVu Sans", 28);
    QList<QFuture<QString>> futures;
    for (int i = 0; i < 4; ++i) {
        futures.append(QtConcurrent::run([image, accurate = i % 2 == 0] {
            return ZunoVisionServices::recognizeText(image, { "en-US" }, accurate).fullText().simplified();
        }));
    }
    for (QFuture<QString> &future : futures)
        EXPECT_EQ(future.result(), english);
}

TEST(ZunoVisionServicesText, ReadsLinesTopDownInTwoLanguages)
{
    const QString english = "Recording starts in three seconds";
    const QString turkish = QString::fromUtf8("Kayıt üç saniye içinde başlıyor");
    QFont font("DejaVu Sans");
    font.setPixelSize(30);
    QImage image(900, 260, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(40, 70), english);
        painter.drawText(QPoint(40, 190), turkish);
    }
    const ZunoOCRResult result = ZunoVisionServices::recognizeText(image, { "en-US", "tr-TR" }, true);
    ASSERT_EQ(result.lines.size(), 2) << result.fullText().toStdString();
    EXPECT_EQ(result.lines[0].text.simplified(), english);
    EXPECT_EQ(result.lines[1].text.simplified(), turkish);
    EXPECT_EQ(result.fullText(), result.lines[0].text + "\n" + result.lines[1].text);
    // With y upwards, the first (upper) line's box lies above the second's.
    EXPECT_GT(result.lines[1].boundingBox.top(), 0.0);
    EXPECT_GT(result.lines[0].boundingBox.top(), result.lines[1].boundingBox.bottom());
}
