#include "ZunoSymbolRegistry.h"

#include "ZunoBundle.h"
#include "ZunoFontPixelSize.h"

#include <QFile>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>

#include <cmath>
#include <memory>

namespace {

struct Entry {
    const char *name;
    const char *icon;
};

// One row per symbol name: the icon set's style folder and file name. The build reads the rows of
// this table to copy exactly these icons into the resources; keep one row per line, as written.
constexpr Entry kTable[] = {
    // clang-format off
    {"1.circle.fill", "filled/circle-number-1"},
    {"antenna.radiowaves.left.and.right", "outline/broadcast"},
    {"aqi.low", "outline/grain"},
    {"aqi.medium", "outline/blur"},
    {"arrow.clockwise", "outline/rotate-clockwise"},
    {"arrow.down.circle.fill", "filled/circle-arrow-down"},
    {"arrow.left.arrow.right", "outline/arrows-exchange"},
    {"arrow.triangle.2.circlepath", "outline/refresh"},
    {"arrow.triangle.branch", "outline/git-branch"},
    {"arrow.up.arrow.down.circle", "outline/transfer"},
    {"arrow.up.right.circle.fill", "filled/circle-arrow-up-right"},
    {"backward.end.fill", "filled/player-skip-back"},
    {"bolt.circle.fill", "outline/progress-bolt"},
    {"bolt.fill", "filled/bolt"},
    {"book", "outline/book"},
    {"book.closed.fill", "outline/book-2"},
    {"brain", "outline/brain"},
    {"bubble.left.and.bubble.right.fill", "filled/messages"},
    {"bubble.left.and.exclamationmark.bubble.right", "outline/message-report"},
    {"calendar", "outline/calendar"},
    {"camera.aperture", "outline/aperture"},
    {"camera.shutter.button", "outline/capture"},
    {"character.bubble", "outline/language"},
    {"chart.bar.xaxis", "outline/chart-bar"},
    {"checklist", "outline/list-check"},
    {"checkmark", "outline/check"},
    {"checkmark.circle.fill", "filled/circle-check"},
    {"checkmark.seal.fill", "filled/rosette-discount-check"},
    {"checkmark.shield.fill", "filled/shield-check"},
    {"chevron.down", "outline/chevron-down"},
    {"chevron.right", "outline/chevron-right"},
    {"circle", "outline/circle"},
    {"clock.arrow.circlepath", "outline/history"},
    {"cross.case.fill", "outline/first-aid-kit"},
    {"cylinder.split.1x2", "outline/database"},
    {"desktopcomputer", "outline/device-desktop"},
    {"doc.on.clipboard", "outline/clipboard-copy"},
    {"doc.on.doc", "outline/copy"},
    {"doc.text.magnifyingglass", "outline/file-search"},
    {"envelope.fill", "filled/mail"},
    {"exclamationmark.octagon.fill", "filled/alert-octagon"},
    {"exclamationmark.triangle.fill", "filled/alert-triangle"},
    {"externaldrive.badge.timemachine", "outline/server"},
    {"film", "outline/movie"},
    {"flame.fill", "filled/flame"},
    {"flashlight.on.fill", "filled/pointer"},
    {"folder", "outline/folder"},
    {"folder.fill", "filled/folder"},
    {"gauge.with.dots.needle.33percent", "outline/gauge"},
    {"gearshape.fill", "filled/settings"},
    {"globe", "outline/world"},
    {"info.circle", "outline/info-circle"},
    {"internaldrive", "outline/device-floppy"},
    {"iphone", "outline/device-mobile"},
    {"iphone.radiowaves.left.and.right", "outline/device-mobile-vibration"},
    {"key.fill", "filled/key"},
    {"ladybug.fill", "filled/bug"},
    {"light.recessed", "outline/lamp"},
    {"lightbulb.fill", "filled/bulb"},
    {"link", "outline/link"},
    {"lock.shield", "outline/shield-lock"},
    {"macwindow.on.rectangle", "outline/picture-in-picture"},
    {"magnifyingglass", "outline/search"},
    {"memorychip", "outline/cpu"},
    {"memorychip.fill", "outline/memory"},
    {"mic.fill", "filled/microphone"},
    {"minus.circle", "outline/circle-minus"},
    {"music.note", "outline/music"},
    {"network", "outline/network"},
    {"note.text", "outline/notes"},
    {"paperclip", "outline/paperclip"},
    {"pause.fill", "filled/player-pause"},
    {"pencil.tip.crop.circle", "outline/pencil"},
    {"person.crop.rectangle", "outline/user-square"},
    {"photo.on.rectangle.angled", "outline/photo"},
    {"play.fill", "filled/player-play"},
    {"play.tv", "outline/device-tv"},
    {"plus", "outline/plus"},
    {"plus.circle", "outline/circle-plus"},
    {"point.3.connected.trianglepath.dotted", "outline/hierarchy"},
    {"qrcode", "outline/qrcode"},
    {"record.circle", "outline/player-record"},
    {"rectangle.dashed", "outline/square-dashed"},
    {"rectangle.inset.topright.filled", "filled/picture-in-picture-top"},
    {"rectangle.topthird.inset.filled", "outline/layout-navbar"},
    {"ruler", "outline/ruler"},
    {"safari", "outline/compass"},
    {"scope", "outline/crosshair"},
    {"scribble.variable", "outline/scribble"},
    {"server.rack", "outline/server-2"},
    {"shippingbox.fill", "outline/package"},
    {"slider.horizontal.3", "outline/adjustments-horizontal"},
    {"sparkles", "outline/sparkles"},
    {"square.grid.2x2.fill", "filled/layout-grid"},
    {"stop.circle.fill", "filled/circle-rectangle"},
    {"sun.max.fill", "filled/sun"},
    {"tablecells", "outline/table"},
    {"tag.fill", "filled/tag"},
    {"target", "outline/target"},
    {"terminal", "outline/terminal-2"},
    {"text.viewfinder", "outline/text-scan-2"},
    {"thermometer.medium", "outline/temperature"},
    {"trash", "outline/trash"},
    {"video.fill", "filled/video"},
    {"video.slash.fill", "outline/video-off"},
    {"wand.and.stars", "outline/wand"},
    {"waveform", "outline/wave-sine"},
    {"waveform.path.ecg", "outline/activity-heartbeat"},
    {"xmark", "outline/x"},
    {"xmark.circle.fill", "filled/circle-x"},
    {"xmark.octagon.fill", "filled/square-rounded-x"},
    // clang-format on
};

// A symbol should stand about as tall as the text beside it; this set's glyphs fill 20 of 24 units
// of their square, so the square is a little larger than the font.
constexpr qreal kSideOverFontSize = 1.1;

const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> hash = [] {
        QHash<QString, QString> h;
        for (const Entry &e : kTable)
            h.insert(QString::fromLatin1(e.name), QString::fromLatin1(e.icon));
        return h;
    }();
    return hash;
}

QSet<QString> &unknownNames()
{
    static QSet<QString> names;
    return names;
}

void warnUnknown(const QString &name)
{
    if (!unknownNames().contains(name)) {
        unknownNames().insert(name);
        qWarning("ZunoSymbolRegistry: no icon for the symbol name \"%s\"", qPrintable(name));
    }
}

// Parsed icons, by file; parsing once keeps repainting cheap.
QSvgRenderer *renderer(const QString &name)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    const QString path = ZunoSymbolRegistry::svgPath(name);
    if (path.isEmpty()) {
        warnUnknown(name);
        return nullptr;
    }
    auto it = cache.find(path);
    if (it == cache.end()) {
        auto svg = std::make_shared<QSvgRenderer>(path);
        if (!svg->isValid())
            svg.reset();
        it = cache.insert(path, svg);
    }
    return it->get();
}

} // namespace

bool ZunoSymbolRegistry::contains(const QString &name)
{
    return table().contains(name);
}

QStringList ZunoSymbolRegistry::names()
{
    QStringList all = table().keys();
    all.sort();
    return all;
}

QStringList ZunoSymbolRegistry::unknownNamesRequested()
{
    QStringList names = unknownNames().values();
    names.sort();
    return names;
}

QString ZunoSymbolRegistry::iconFile(const QString &name)
{
    return table().value(name);
}

QString ZunoSymbolRegistry::svgPath(const QString &name)
{
    const QString icon = iconFile(name);
    if (icon.isEmpty())
        return {};
    return ZunoBundle::main().resourcePath(QStringLiteral("symbols/%1.svg").arg(icon));
}

qreal ZunoSymbolRegistry::sideForFont(const QFont &font)
{
    return zunoFontPixelSize(font) * kSideOverFontSize;
}

QImage ZunoSymbolRegistry::image(const QString &name, qreal side, const QColor &color, qreal devicePixelRatio)
{
    QSvgRenderer *svg = renderer(name);
    const int pixels = static_cast<int>(std::ceil(side * devicePixelRatio - 1e-6));
    if (!svg || pixels <= 0)
        return {};
    // Drawn opaque first, then tinted, so that overlapping strokes do not darken a translucent colour.
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg->render(&painter, QRectF(0, 0, pixels, pixels));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

void ZunoSymbolRegistry::paint(QPainter &painter, const QRectF &box, const QString &name, const QColor &color)
{
    const qreal side = std::min(box.width(), box.height());
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal transformScale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    const QImage symbol = image(name, side, color, scale * std::max(1.0, transformScale));
    if (symbol.isNull())
        return;
    const QRectF target(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, symbol);
    painter.restore();
}
