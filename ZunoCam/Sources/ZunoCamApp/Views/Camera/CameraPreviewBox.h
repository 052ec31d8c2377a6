#pragma once

#include "CameraPixelBuffer.h"

#include <QColor>
#include <QImage>
#include <QWidget>

class CamStudioViewModel;
class CameraRecordingLiveBadge;
class FramingRuleOfThirdsGridView;
class QLabel;
class ZunoButton;

// The camera tab's picture: a dark continuous rounded box showing the newest frame fitted and centred
// (clipped to the box's corner radius) while the camera runs, else the start placeholder. The grid,
// the recording badge and the nameplate lie over the fitted picture, never over the whole box, so the
// picture stays where it is when they come and go. Repaints on each new frame while shown.
class CameraPreviewBox : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 14;
    static constexpr int kBadgeInset = 14;
    static constexpr int kNameplateInset = 16;

    CameraPreviewBox(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    bool isLive() const;
    // Where the frame is painted: fitted into the box with its aspect ratio kept, centred; empty when
    // not live.
    QRectF pictureRect() const;
    static QRectF fittedRect(const QSizeF &image, const QRectF &box);

    // For tests and the gallery.
    QWidget *placeholder() const { return m_placeholder; }
    QLabel *placeholderText() const { return m_placeholderText; }
    ZunoButton *placeholderButton() const { return m_startButton; }
    FramingRuleOfThirdsGridView *grid() const { return m_grid; }
    CameraRecordingLiveBadge *badge() const { return m_badge; }
    QWidget *nameplate() const { return m_nameplate; }
    QLabel *nameplateName() const { return m_name; }
    QLabel *nameplateTitle() const { return m_title; }
    int paintedFrames() const { return m_paintedFrames; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    const QImage &scaledFrame(const QSize &pixels, qreal ratio);
    void sync();
    void placeOverlays();

    CamStudioViewModel &m_viewModel;
    QColor m_accent;
    QWidget *m_placeholder;
    QLabel *m_placeholderText;
    ZunoButton *m_startButton;
    FramingRuleOfThirdsGridView *m_grid;
    CameraRecordingLiveBadge *m_badge;
    QWidget *m_nameplate;
    QLabel *m_name;
    QLabel *m_title;
    QSize m_lastFrameSize;
    int m_paintedFrames = 0;
    // The newest frame at the picture's size in device pixels, and which frame it was made from.
    CameraPixelBuffer m_scaledPixels;
    QImage m_scaled;
    qint64 m_scaledFrom = 0;
};
