// The contact sheet of the suite's emblems, and one 256-pixel PNG per application.
//
//   EmblemGallery [output folder]     (default: ./emblem-gallery)
//
// Writes sheet.png (per group a section; per application the white-glass emblem at 64, 26 and 16
// pixels on the studio's ground, the flat tone at 64 pixels on a light card, and its case name and
// number; under each group its emblems side by side at 16 pixels, on a dark and on a light ground,
// as toolbars, menus and trays show them) and emblems/<raw value>.png, then prints each group's
// element profile beside the family's target.

#include "EmblemProbe.h"
#include "EmblemProfile.h"
#include "ZunoEmblemRenderer.h"
#include "ZunoFonts.h"
#include "ZunoGroundBackground.h"
#include "ZunoToolCommandLine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace {

struct Group {
    const char *heading;
    int first;
    int last;
    // The family's target for the group: routines, elements per routine and, per kind, the
    // routines that use it.
    int routines;
    int minElements;
    int maxElements;
    std::array<int, EmblemProfile::kindCount> target;
};

const Group kGroups[] = {
    { "Productivity (0\u201330)", 0, 30, 31, 3, 16, { 21, 17, 27, 13, 3, 3, 2, 17, 0 } },
    { "Media (31\u201348)", 31, 48, 17, 2, 11, { 8, 6, 13, 6, 0, 2, 1, 12, 1 } },
    { "System and network (49\u201381)", 49, 81, 33, 3, 12, { 25, 24, 16, 18, 6, 9, 5, 24, 4 } },
};

const ZunoEmblemTone kFlat = ZunoEmblemTone::flatLight(QColor(0x2B, 0x4C, 0xB8), QColor(0xF5, 0x8A, 0x1F));

constexpr int kCellWidth = 232;
constexpr int kCellHeight = 116;
constexpr int kColumns = 6;
constexpr int kMargin = 20;
constexpr int kHeading = 44;
// The 16-pixel strips under a group: one emblem every kStripStep pixels, dark strip above light.
constexpr int kStripStep = 24;
constexpr int kStripHeight = 28;
constexpr int kStrips = 2 * kStripHeight + 16;

// The applications whose picture equals another's: none, once every one has its own artwork.
std::set<ZunoAppIdentity> sharedPictures()
{
    std::map<QByteArray, std::vector<ZunoAppIdentity>> byPicture;
    for (ZunoAppIdentity app : ZunoAppIdentities::allCases())
        byPicture[ZunoEmblemRenderer::pngData(app, 48).value_or(QByteArray())].push_back(app);
    std::set<ZunoAppIdentity> shared;
    for (const auto &[picture, apps] : byPicture) {
        if (apps.size() > 1)
            shared.insert(apps.begin(), apps.end());
    }
    return shared;
}

bool writeEmblems(const QDir &out)
{
    if (!out.mkpath(QStringLiteral("emblems"))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.filePath(QStringLiteral("emblems"))));
        return false;
    }
    for (ZunoAppIdentity app : ZunoAppIdentities::allCases()) {
        const auto png = ZunoEmblemRenderer::pngData(app, 256);
        const QString path = out.filePath(QStringLiteral("emblems/%1.png").arg(rawValue(app)));
        QFile file(path);
        if (!png || !file.open(QIODevice::WriteOnly) || file.write(*png) != png->size() || !file.flush()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

void drawCell(QPainter &painter, const QPoint &at, ZunoAppIdentity app, bool shared)
{
    // White glass on the studio's ground: 64, 26 and 16 pixels.
    const QRect ground(at.x(), at.y(), 126, 84);
    painter.save();
    painter.setClipRect(ground);
    ZunoGroundBackground::paint(painter, ground, ZunoProductPalette::deepCoral);
    painter.restore();
    painter.drawImage(at + QPoint(10, 10), ZunoEmblemRenderer::image(app, 64, 1, false).bitmap);
    painter.drawImage(at + QPoint(86, 14), ZunoEmblemRenderer::image(app, 26, 1, false).bitmap);
    painter.drawImage(at + QPoint(91, 52), ZunoEmblemRenderer::image(app, 16, 1, false).bitmap);

    // The flat tone on a light card.
    const QRect card(at.x() + 134, at.y(), 84, 84);
    painter.setPen(QColor(0xDD, 0xE1, 0xE8));
    painter.setBrush(QColor(0xFB, 0xFC, 0xFE));
    painter.drawRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.drawImage(card.topLeft() + QPoint(10, 10), EmblemProbe::renderDesign(64, [&](QPainter &p) {
        ZunoEmblemRenderer::drawFlatEmblem(app, p, kFlat);
    }));

    painter.setPen(QColor(0x1D, 0x23, 0x33));
    painter.setFont(ZunoFonts::system(12, QFont::Medium));
    QString caption = QStringLiteral("%1  %2").arg(ZunoAppIdentities::caseName(app)).arg(indexOf(app));
    if (shared)
        caption += QStringLiteral("  (not its own)");
    painter.drawText(
        QRect(at.x(), at.y() + 88, kCellWidth - 8, 20), Qt::AlignLeft | Qt::AlignVCenter, caption);
}

// The white-glass emblem as a light-themed menu shows it: its alpha shape in a dark ink.
QImage inked(const QImage &emblem, const QColor &ink)
{
    QImage image = emblem.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), ink);
    return image;
}

// A group's emblems at 16 pixels side by side, where near-twins show as they do in a tray.
void drawSmallStrips(QPainter &painter, const Group &group, int y, int width)
{
    const QRect dark(kMargin, y, width - 2 * kMargin, kStripHeight);
    const QRect light(kMargin, y + kStripHeight, width - 2 * kMargin, kStripHeight);
    painter.fillRect(dark, QColor(0x1B, 0x1F, 0x2A));
    painter.fillRect(light, QColor(0xFB, 0xFC, 0xFE));
    for (int index = group.first; index <= group.last; ++index) {
        const ZunoAppIdentity app = ZunoAppIdentities::allCases()[index];
        const QImage emblem = ZunoEmblemRenderer::image(app, 16, 1, false).bitmap;
        const int x = kMargin + 8 + (index - group.first) * kStripStep;
        painter.drawImage(x, dark.top() + 6, emblem);
        painter.drawImage(x, light.top() + 6, inked(emblem, QColor(0x1D, 0x23, 0x33)));
    }
}

QImage contactSheet(const std::set<ZunoAppIdentity> &shared)
{
    int height = kMargin;
    for (const Group &group : kGroups)
        height += kHeading + ((group.last - group.first) / kColumns + 1) * kCellHeight + kStrips;
    const int width = 2 * kMargin + kColumns * kCellWidth;
    QImage sheet(width, height + kMargin, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xF4, 0xF5, 0xF8));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    int y = kMargin;
    for (const Group &group : kGroups) {
        painter.setPen(QColor(0x1D, 0x23, 0x33));
        painter.setFont(ZunoFonts::system(20, QFont::DemiBold));
        painter.drawText(QRect(kMargin, y, width - 2 * kMargin, kHeading - 8),
            Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(group.heading));
        y += kHeading;
        for (int index = group.first; index <= group.last; ++index) {
            const int slot = index - group.first;
            const ZunoAppIdentity app = ZunoAppIdentities::allCases()[index];
            drawCell(painter,
                QPoint(kMargin + slot % kColumns * kCellWidth, y + slot / kColumns * kCellHeight), app,
                shared.contains(app));
        }
        y += ((group.last - group.first) / kColumns + 1) * kCellHeight;
        drawSmallStrips(painter, group, y, width);
        y += kStrips;
    }
    painter.end();
    return sheet;
}

void printProfiles()
{
    for (const Group &group : kGroups) {
        EmblemProfile profile;
        for (int index = group.first; index <= group.last; ++index) {
            const ZunoAppIdentity app = ZunoAppIdentities::allCases()[index];
            // The studio's screen is drawn by the renderer itself, not by a routine of the group.
            if (app == ZunoAppIdentity::zunoStudio)
                continue;
            profile.add(recordEmblem(app, ZunoEmblemTone::whiteGlass()));
        }
        std::vector<int> counts = profile.elementCounts;
        std::sort(counts.begin(), counts.end());
        std::printf("%s\n", group.heading);
        std::printf("  %-22s %9s   %s\n", "", "drawn", "target");
        std::printf("  %-22s %9d   %d\n", "routines", profile.routines, group.routines);
        std::printf("  %-22s %3d/%2d/%2d   %d to %d\n", "elements min/med/max", counts.front(),
            counts[counts.size() / 2], counts.back(), group.minElements, group.maxElements);
        for (int kind = 0; kind < EmblemProfile::kindCount; ++kind)
            std::printf("  %-22s %9d   %d\n", EmblemProfile::label(EmblemProfile::Kind(kind)),
                profile.routinesUsing[kind], group.target[kind]);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ZunoFonts::applyApplicationFont();
    const char *usage = "usage: EmblemGallery [FOLDER]   every emblem as PNG, a contact sheet and the 16 px "
                        "strips (default emblem-gallery)\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, {}))
        return *exitCode;
    const QString folder = QCoreApplication::arguments().value(1, QStringLiteral("emblem-gallery"));
    QDir out;
    if (!out.mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    out.setPath(folder);
    if (!writeEmblems(out))
        return 1;
    const QString sheetPath = out.filePath(QStringLiteral("sheet.png"));
    const std::set<ZunoAppIdentity> shared = sharedPictures();
    if (!contactSheet(shared).save(sheetPath)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(sheetPath));
        return 1;
    }
    std::printf("%s\n%s (%zu files)\n\n", qPrintable(sheetPath),
        qPrintable(out.filePath(QStringLiteral("emblems"))), ZunoAppIdentities::allCases().size());
    printProfiles();
    std::printf("\nemblems drawing the same picture as another: %zu\n", shared.size());
    for (ZunoAppIdentity app : shared)
        std::printf("  %s\n", qPrintable(ZunoAppIdentities::caseName(app)));
    return 0;
}
