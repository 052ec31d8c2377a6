#include "ZunoActivityIndicator.h"

#include "ZunoGlassTokens.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr double kArcDegrees = 100;
constexpr double kTrackOpacity = 0.22;

} // namespace

ZunoActivityIndicator::ZunoActivityIndicator(Size size, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
    , m_color(ZunoGlassTokens::textSecondary())
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(sizeHint());
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setDuration(kTurnMs);
    m_animation.setLoopCount(-1);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

int ZunoActivityIndicator::side(Size size)
{
    return size == Size::mini ? kMiniSide : kSmallSide;
}

QSize ZunoActivityIndicator::sizeHint() const
{
    return { side(m_size), side(m_size) };
}

void ZunoActivityIndicator::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ZunoActivityIndicator::setFixedPhase(std::optional<double> phase)
{
    m_fixedPhase = phase;
    updateAnimation();
    update();
}

double ZunoActivityIndicator::phase() const
{
    return m_fixedPhase ? *m_fixedPhase : m_animation.currentValue().toDouble();
}

bool ZunoActivityIndicator::isAnimating() const
{
    return m_animation.state() == QAbstractAnimation::Running;
}

void ZunoActivityIndicator::updateAnimation()
{
    if (!m_fixedPhase && isVisible()) {
        if (m_animation.state() != QAbstractAnimation::Running)
            m_animation.start();
    } else {
        m_animation.stop();
    }
}

void ZunoActivityIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateAnimation();
}

void ZunoActivityIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateAnimation();
}

void ZunoActivityIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_color, phase());
}

void ZunoActivityIndicator::paint(QPainter &painter, const QRectF &box, const QColor &color, double phase)
{
    const double side = std::min(box.width(), box.height());
    const double lineWidth = std::max(1.5, side / 8);
    const QRectF ring = QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side)
                            .adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    QColor track = color;
    track.setAlphaF(color.alphaF() * kTrackOpacity);
    painter.setPen(QPen(track, lineWidth));
    painter.drawEllipse(ring);
    painter.setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::RoundCap));
    // Clockwise from the top; Qt's angles run counter-clockwise in 1/16 degree.
    const double startDegrees = 90 - std::fmod(phase, 1.0) * 360;
    painter.drawArc(ring, static_cast<int>(std::lround(startDegrees * 16)),
        static_cast<int>(std::lround(-kArcDegrees * 16)));
    painter.restore();
}
