// Every symbol name the studio and the framework show resolves to an installed SVG of the icon set,
// and icons render in any colour and size.
#include "ZunoSymbolRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

// The symbol names used across the studio, its panels and sheets and the framework's views.
const char *const kUsedNames[] = {
    "1.circle.fill",
    "antenna.radiowaves.left.and.right",
    "aqi.low",
    "aqi.medium",
    "arrow.clockwise",
    "arrow.down.circle.fill",
    "arrow.left.arrow.right",
    "arrow.triangle.2.circlepath",
    "arrow.triangle.branch",
    "arrow.up.arrow.down.circle",
    "arrow.up.right.circle.fill",
    "backward.end.fill",
    "bolt.circle.fill",
    "bolt.fill",
    "book",
    "book.closed.fill",
    "brain",
    "bubble.left.and.bubble.right.fill",
    "bubble.left.and.exclamationmark.bubble.right",
    "calendar",
    "camera.aperture",
    "camera.shutter.button",
    "character.bubble",
    "chart.bar.xaxis",
    "checklist",
    "checkmark",
    "checkmark.circle.fill",
    "checkmark.seal.fill",
    "checkmark.shield.fill",
    "chevron.down",
    "chevron.right",
    "circle",
    "clock.arrow.circlepath",
    "cross.case.fill",
    "cylinder.split.1x2",
    "desktopcomputer",
    "doc.on.clipboard",
    "doc.on.doc",
    "doc.text.magnifyingglass",
    "envelope.fill",
    "exclamationmark.octagon.fill",
    "exclamationmark.triangle.fill",
    "externaldrive.badge.timemachine",
    "film",
    "flame.fill",
    "flashlight.on.fill",
    "folder",
    "folder.fill",
    "gauge.with.dots.needle.33percent",
    "gearshape.fill",
    "globe",
    "info.circle",
    "internaldrive",
    "iphone",
    "iphone.radiowaves.left.and.right",
    "key.fill",
    "ladybug.fill",
    "light.recessed",
    "lightbulb.fill",
    "link",
    "lock.shield",
    "macwindow.on.rectangle",
    "magnifyingglass",
    "memorychip",
    "memorychip.fill",
    "mic.fill",
    "minus.circle",
    "music.note",
    "network",
    "note.text",
    "paperclip",
    "pause.fill",
    "pencil.tip.crop.circle",
    "person.crop.rectangle",
    "photo.on.rectangle.angled",
    "play.fill",
    "play.tv",
    "plus",
    "plus.circle",
    "point.3.connected.trianglepath.dotted",
    "qrcode",
    "record.circle",
    "rectangle.dashed",
    "rectangle.inset.topright.filled",
    "rectangle.topthird.inset.filled",
    "ruler",
    "safari",
    "scope",
    "scribble.variable",
    "server.rack",
    "shippingbox.fill",
    "slider.horizontal.3",
    "sparkles",
    "square.grid.2x2.fill",
    "stop.circle.fill",
    "sun.max.fill",
    "tablecells",
    "tag.fill",
    "target",
    "terminal",
    "text.viewfinder",
    "thermometer.medium",
    "trash",
    "video.fill",
    "video.slash.fill",
    "wand.and.stars",
    "waveform",
    "waveform.path.ecg",
    "xmark",
    "xmark.circle.fill",
    "xmark.octagon.fill",
};

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

} // namespace

TEST(ZunoSymbolRegistry, EveryUsedNameResolvesToAnInstalledIcon)
{
    for (const char *name : kUsedNames) {
        SCOPED_TRACE(name);
        const QString symbol = QString::fromLatin1(name);
        ASSERT_TRUE(ZunoSymbolRegistry::contains(symbol));
        const QString path = ZunoSymbolRegistry::svgPath(symbol);
        ASSERT_FALSE(path.isEmpty()) << "not installed: "
                                     << ZunoSymbolRegistry::iconFile(symbol).toStdString();
        EXPECT_TRUE(
            path.endsWith(QStringLiteral("/symbols/%1.svg").arg(ZunoSymbolRegistry::iconFile(symbol))));
        EXPECT_TRUE(QSvgRenderer(path).isValid());
        // The installed file is the icon set's own.
        QFile installed(path);
        QFile source(QStringLiteral(ZUNO_SOURCE_DIR "/node_modules/@tabler/icons/icons/%1.svg")
                         .arg(ZunoSymbolRegistry::iconFile(symbol)));
        ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        EXPECT_EQ(installed.readAll(), source.readAll());
        EXPECT_GT(opaquePixels(ZunoSymbolRegistry::image(symbol, 24, Qt::white)), 20);
    }
    // The table holds those names and no others.
    EXPECT_EQ(ZunoSymbolRegistry::names().size(), static_cast<qsizetype>(std::size(kUsedNames)));
}

TEST(ZunoSymbolRegistry, AnUnknownNameHasNoIconAndDrawsNothing)
{
    EXPECT_FALSE(ZunoSymbolRegistry::unknownNamesRequested().contains(QStringLiteral("camera.apertures")));
    for (const char *name : { "camera.apertures", "Camera.Aperture", "", "checkmark.circle" }) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(ZunoSymbolRegistry::contains(QString::fromLatin1(name)));
        EXPECT_TRUE(ZunoSymbolRegistry::iconFile(QString::fromLatin1(name)).isEmpty());
        EXPECT_TRUE(ZunoSymbolRegistry::svgPath(QString::fromLatin1(name)).isEmpty());
        EXPECT_TRUE(ZunoSymbolRegistry::image(QString::fromLatin1(name), 16, Qt::white).isNull());
        // Asked for and missing: remembered, so that a view's test can fail on it.
        EXPECT_TRUE(ZunoSymbolRegistry::unknownNamesRequested().contains(QString::fromLatin1(name)));
    }
}

TEST(ZunoSymbolRegistry, RendersInAnyColourAndSize)
{
    QColor halfRed(255, 0, 0);
    halfRed.setAlphaF(0.5f);
    const QImage image = ZunoSymbolRegistry::image(QStringLiteral("stop.circle.fill"), 24, halfRed, 2);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(48, 48));
    EXPECT_EQ(image.devicePixelRatio(), 2);
    // Every drawn pixel is the colour, never more opaque than it, overlapping strokes included.
    int full = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            EXPECT_LE(c.alpha(), 129);
            if (c.alpha() >= 126) {
                ++full;
                EXPECT_NEAR(c.red(), 255, 2);
                EXPECT_LE(c.green() + c.blue(), 4);
            }
        }
    }
    EXPECT_GT(full, 48 * 48 / 4);
    // An outline icon in another colour and size.
    const QImage outline = ZunoSymbolRegistry::image(QStringLiteral("circle"), 17, Qt::green);
    EXPECT_EQ(outline.size(), QSize(17, 17));
    EXPECT_EQ(outline.pixelColor(8, 8).alpha(), 0);
    EXPECT_GT(opaquePixels(outline), 20);
}
