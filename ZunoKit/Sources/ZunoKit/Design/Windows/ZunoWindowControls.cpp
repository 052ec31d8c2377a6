#include "ZunoWindowControls.h"

#include "ZunoGlassTokens.h"
#include "ZunoMainThread.h"
#include "ZunoNotificationCenter.h"
#include "ZunoText.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

using Button = ZunoWindowButtonLayout::Button;
using Side = ZunoWindowButtonLayout::Side;

// The glyphs of the desktop's symbolic icons: an 8-pixel figure drawn with 1.5-pixel round strokes
// in the middle of the 24-pixel button.
constexpr qreal kGlyphHalf = 4;
constexpr qreal kStroke = 1.5;

void drawGlyph(QPainter &painter, Button kind, bool maximized, const QPointF &c)
{
    const qreal h = kGlyphHalf;
    switch (kind) {
    case Button::close:
        painter.drawLine(c + QPointF(-h, -h), c + QPointF(h, h));
        painter.drawLine(c + QPointF(-h, h), c + QPointF(h, -h));
        break;
    case Button::minimize:
        // A bar near the bottom of the figure, where the window goes.
        painter.drawLine(c + QPointF(-h, h - 0.5), c + QPointF(h, h - 0.5));
        break;
    case Button::maximize:
        if (!maximized) {
            painter.drawRoundedRect(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h), 1.5, 1.5);
        } else {
            // Restore: a smaller window in front of the one behind it.
            painter.drawRoundedRect(QRectF(c.x() - h, c.y() - h + 2.5, 2 * h - 2.5, 2 * h - 2.5), 1.2, 1.2);
            QPainterPath behind;
            behind.moveTo(c + QPointF(-h + 2.5, -h + 1));
            behind.lineTo(c + QPointF(-h + 2.5, -h));
            behind.lineTo(c + QPointF(h, -h));
            behind.lineTo(c + QPointF(h, h - 2.5));
            behind.lineTo(c + QPointF(h - 1, h - 2.5));
            painter.drawPath(behind);
        }
        break;
    }
}

} // namespace

ZunoWindowControlButton::ZunoWindowControlButton(Button kind, QWidget *parent)
    : QAbstractButton(parent)
    , m_kind(kind)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kDiameter, kDiameter);
    setAttribute(Qt::WA_Hover);
    setLanguage(ZunoLanguages::current());
}

QString ZunoWindowControlButton::title(Button kind, ZunoLanguage language)
{
    switch (kind) {
    case Button::close:
        return zunoText(QStringLiteral("Close"), QStringLiteral("Kapat"), language);
    case Button::minimize:
        return zunoText(QStringLiteral("Minimize"), QStringLiteral("Simge Durumuna Küçült"), language);
    case Button::maximize:
        return zunoText(QStringLiteral("Maximize"), QStringLiteral("Büyüt"), language);
    }
    return {};
}

void ZunoWindowControlButton::setLanguage(ZunoLanguage language)
{
    setAccessibleName(title(m_kind, language));
    setToolTip(accessibleName());
}

void ZunoWindowControlButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(rect());
    QColor background = ZunoGlassTokens::surface2();
    if (isDown())
        background = ZunoGlassTokens::borderStrong();
    else if (underMouse())
        background = ZunoGlassTokens::surface3();
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawEllipse(circle);

    // An inactive window's controls step back, as the desktop's do.
    const bool active = window()->isActiveWindow() || underMouse();
    QPen pen(active ? ZunoGlassTokens::textPrimary() : ZunoGlassTokens::textMuted(), kStroke, Qt::SolidLine,
        Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    drawGlyph(painter, m_kind, window()->isMaximized(), circle.center());
}

bool ZunoWindowControlButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
        update();
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

ZunoWindowControls::ZunoWindowControls(const std::vector<Button> &buttons, Side side, QWidget *window)
    : QWidget(window)
    , m_side(side)
{
    setObjectName(side == Side::left ? QStringLiteral("zunoWindowControlsLeft")
                                     : QStringLiteral("zunoWindowControlsRight"));
    setFocusPolicy(Qt::NoFocus);
    int x = 0;
    for (Button kind : buttons) {
        auto *button = new ZunoWindowControlButton(kind, this);
        button->move(x, 0);
        x += ZunoWindowControlButton::kDiameter + kSpacing;
        m_buttons.push_back(button);
        switch (kind) {
        case Button::close:
            connect(button, &QAbstractButton::clicked, this, [this] { this->window()->close(); });
            break;
        case Button::minimize:
            connect(button, &QAbstractButton::clicked, this, [this] { this->window()->showMinimized(); });
            break;
        case Button::maximize:
            connect(button, &QAbstractButton::clicked, this, [this] {
                QWidget *w = this->window();
                if (w->isMaximized())
                    w->showNormal();
                else
                    w->showMaximized();
            });
            break;
        }
    }
    setFixedSize(std::max(x - kSpacing, 0), ZunoWindowControlButton::kDiameter);

    // The change may be posted from any thread; the names change on the main thread.
    ZunoNotificationCenter::shared().addObserver(QLatin1String(ZunoLanguages::kLanguageDidChangeNotification),
        this, [this](const QString &, const QVariant &payload) {
            if (!payload.canConvert<ZunoLanguage>())
                return;
            const auto language = payload.value<ZunoLanguage>();
            ZunoMainThread::post(this, [this, language] {
                for (ZunoWindowControlButton *b : m_buttons)
                    b->setLanguage(language);
            });
        });
}

ZunoWindowControlButton *ZunoWindowControls::button(Button kind) const
{
    for (ZunoWindowControlButton *b : m_buttons) {
        if (b->kind() == kind)
            return b;
    }
    return nullptr;
}

void ZunoWindowControls::place(qreal titlebarHeight)
{
    QWidget *w = parentWidget();
    if (!w)
        return;
    const int top = static_cast<int>(std::lround(titlebarHeight / 2 - height() / 2.0));
    const int left = m_side == Side::left ? kEdgeMargin : w->width() - kEdgeMargin - width();
    move(left, top);
    raise();
}
