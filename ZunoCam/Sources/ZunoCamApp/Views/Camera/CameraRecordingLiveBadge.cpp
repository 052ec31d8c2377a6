#include "CameraRecordingLiveBadge.h"

#include "CamStudioViewModel.h"
#include "CameraVideoRecorder.h"
#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal kDot = 9;
constexpr qreal kSpacing = 7;
constexpr qreal kPaddingX = 12;
constexpr qreal kPaddingY = 6;
constexpr qreal kGlow = 5;

QFont timeFont()
{
    return ZunoFonts::monospaced(12, QFont::Bold);
}

QFont framesFont()
{
    return ZunoFonts::monospaced(10, QFont::Medium);
}

} // namespace

CameraRecordingLiveBadge::CameraRecordingLiveBadge(CamStudioViewModel &viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_viewModel, &CamStudioViewModel::recordingChanged, this, [this] {
        updateGeometry();
        update();
    });
}

QString CameraRecordingLiveBadge::timeText() const
{
    return QStringLiteral("REC ")
        + CameraVideoRecorder::formatDuration(m_viewModel.recordingDurationSeconds());
}

QString CameraRecordingLiveBadge::framesText() const
{
    return QStringLiteral("H.264 · %1f").arg(m_viewModel.recordedFrameCount());
}

QSize CameraRecordingLiveBadge::sizeHint() const
{
    const QFontMetricsF time(timeFont());
    const QFontMetricsF frames(framesFont());
    const qreal width = kPaddingX * 2 + kDot + kSpacing * 2 + time.horizontalAdvance(timeText())
        + frames.horizontalAdvance(framesText());
    const qreal height = kPaddingY * 2 + std::max({ kDot, time.height(), frames.height() });
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void CameraRecordingLiveBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    painter.fillPath(ZunoContinuousShape::capsule(box), ZunoGlassTokens::withAlpha(Qt::black, 0.76));
    const QColor danger = ZunoGlassTokens::danger();
    ZunoContinuousShape::strokeBorder(painter, box, -1, ZunoGlassTokens::withAlpha(danger, 0.75));

    qreal x = kPaddingX;
    const qreal mid = box.height() / 2;
    // The glow: a few widening rings fading out around the dot.
    for (int ring = static_cast<int>(kGlow); ring > 0; --ring) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ZunoGlassTokens::withAlpha(danger, 0.8 * 0.18 * (1.0 - ring / (kGlow + 1))));
        painter.drawEllipse(QPointF(x + kDot / 2, mid), kDot / 2 + ring, kDot / 2 + ring);
    }
    painter.setBrush(danger);
    painter.drawEllipse(QRectF(x, mid - kDot / 2, kDot, kDot));
    x += kDot + kSpacing;

    painter.setFont(timeFont());
    painter.setPen(Qt::white);
    const QFontMetricsF time(timeFont());
    painter.drawText(QRectF(x, 0, time.horizontalAdvance(timeText()) + 1, box.height()),
        Qt::AlignLeft | Qt::AlignVCenter, timeText());
    x += time.horizontalAdvance(timeText()) + kSpacing;

    painter.setFont(framesFont());
    painter.setPen(ZunoGlassTokens::textSecondary());
    painter.drawText(
        QRectF(x, 0, box.width() - x, box.height()), Qt::AlignLeft | Qt::AlignVCenter, framesText());
}
