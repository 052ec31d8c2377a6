// Monospaced digits: every digit takes the widest digit's cell, so amounts keep their width and line
// up; the other characters keep their own advance.
#include "ZunoTabularFigures.h"
#include "ZunoFonts.h"
#include "ZunoTabularLabel.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The leftmost and rightmost inked columns of a text drawn at x = 0.
std::pair<int, int> inkedColumns(const QString &text, const QFont &font)
{
    QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::white);
    ZunoTabularFigures::draw(painter, QPointF(0, 30), text, font);
    painter.end();
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qAlpha(image.pixel(x, y)) > 64) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return { first, last };
}

} // namespace

TEST(ZunoTabularFigures, EveryDigitTakesTheWidestDigitsCell)
{
    const QFont font = ZunoFonts::system(11, QFont::Medium);
    const QFontMetricsF metrics(font);
    const qreal cell = ZunoTabularFigures::digitWidth(font);
    // Inter's proportional digits differ: 1 is narrower than 8.
    ASSERT_LT(metrics.horizontalAdvance(QStringLiteral("1")), metrics.horizontalAdvance(QStringLiteral("8")));
    EXPECT_DOUBLE_EQ(ZunoTabularFigures::width(QStringLiteral("111"), font), 3 * cell);
    EXPECT_DOUBLE_EQ(ZunoTabularFigures::width(QStringLiteral("111"), font),
        ZunoTabularFigures::width(QStringLiteral("808"), font));
    // Other characters keep their shaped advance.
    EXPECT_DOUBLE_EQ(ZunoTabularFigures::width(QStringLiteral("12 / 100 cr"), font),
        5 * cell + metrics.horizontalAdvance(QStringLiteral(" / "))
            + metrics.horizontalAdvance(QStringLiteral(" cr")));
    EXPECT_DOUBLE_EQ(ZunoTabularFigures::width(QString(), font), 0);

    // A 1 is drawn centred in its cell: its ink starts later than in proportional text.
    const auto [first, last] = inkedColumns(QStringLiteral("1"), font);
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last + 1) / 2.0, cell / 2, 1.5);
}

TEST(ZunoTabularFigures, TheLabelIsAsWideAsItsTabularText)
{
    const QFont font = ZunoFonts::system(11);
    ZunoTabularLabel label(QStringLiteral("1,111 cr"), font, Qt::white);
    const int narrow = label.sizeHint().width();
    label.setText(QStringLiteral("8,888 cr"));
    EXPECT_EQ(label.sizeHint().width(), narrow);
    EXPECT_EQ(label.text(), QStringLiteral("8,888 cr"));
}
