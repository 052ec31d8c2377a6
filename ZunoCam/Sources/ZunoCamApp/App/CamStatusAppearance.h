#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

#include <optional>

// What the tray icon shows: a symbol, and a status dot while recording (red) or while the laser
// overlay is up (pink); recording outranks the laser.
struct CamStatusAppearance {
    static constexpr char kPrompterSymbol[] = "text.viewfinder";
    static constexpr char kIdleSymbol[] = "camera.aperture";
    static inline const QColor kRecordingDot = QColor(0xFF, 0x3B, 0x30);
    static inline const QColor kLaserDot = QColor(0xFF, 0x2D, 0x55);
    // The badge's diameter as a part of the icon's side.
    static constexpr qreal kDotFraction = 3.0 / 8.0;

    QString symbol;
    std::optional<QColor> dot;

    static CamStatusAppearance of(
        bool isTeleprompterVisible, bool isRecordingVideo, bool isLaserOverlayVisible);

    // The symbol in near-white with a thin dark outline (legible on dark and light panels), with the
    // dot as a round badge in the lower trailing corner.
    QImage render(int side) const;
    // 16, 22, 24, 32 and 48 pixels.
    QIcon icon() const;

    bool operator==(const CamStatusAppearance &) const = default;
};
