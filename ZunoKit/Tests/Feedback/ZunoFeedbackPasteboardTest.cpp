#include "ZunoFeedbackService.h"

#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage sample()
{
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    image.setPixelColor(3, 2, Qt::white);
    return image;
}

void offer(const QString &format, const QByteArray &bytes)
{
    auto *mime = new QMimeData;
    mime->setData(format, bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
}

} // namespace

TEST(ZunoFeedbackPasteboard, KeepsPngAndReencodesOtherImages)
{
    // A PNG with a text chunk: re-encoding would drop it, so equal bytes prove it was kept.
    QImage tagged = sample();
    tagged.setText(QStringLiteral("Comment"), QStringLiteral("kept as it is"));
    const QByteArray png = encoded(tagged, "PNG");
    offer(QStringLiteral("image/png"), png);
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const auto kept = ZunoFeedbackService::readScreenshotFromPasteboard();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->data, png);
    EXPECT_EQ(kept->mimeType, QStringLiteral("image/png"));
    const QRegularExpressionMatch name
        = QRegularExpression(QStringLiteral("^clipboard-(\\d+)\\.png$")).match(kept->filename);
    ASSERT_TRUE(name.hasMatch()) << kept->filename.toStdString();
    EXPECT_GE(name.captured(1).toLongLong(), before);
    EXPECT_LE(name.captured(1).toLongLong(), QDateTime::currentSecsSinceEpoch());
    EXPECT_FALSE(kept->id.isNull());

    offer(QStringLiteral("image/bmp"), encoded(sample(), "BMP"));
    const auto bmp = ZunoFeedbackService::readScreenshotFromPasteboard();
    ASSERT_TRUE(bmp.has_value());
    EXPECT_TRUE(bmp->data.startsWith("\x89PNG"));
    EXPECT_EQ(QImage::fromData(bmp->data, "PNG").convertToFormat(QImage::Format_RGB32), sample());
    EXPECT_NE(bmp->id, kept->id);

    QGuiApplication::clipboard()->setImage(sample());
    const auto image = ZunoFeedbackService::readScreenshotFromPasteboard();
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(QImage::fromData(image->data, "PNG").convertToFormat(QImage::Format_RGB32), sample());
}

TEST(ZunoFeedbackPasteboard, NoImageGivesNone)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("just words"));
    EXPECT_FALSE(ZunoFeedbackService::readScreenshotFromPasteboard().has_value());
    offer(QStringLiteral("image/png"), QByteArray());
    EXPECT_FALSE(ZunoFeedbackService::readScreenshotFromPasteboard().has_value()) << "empty PNG data";
    offer(QStringLiteral("image/jpeg"), "not a jpeg");
    EXPECT_FALSE(ZunoFeedbackService::readScreenshotFromPasteboard().has_value()) << "undecodable";
}
