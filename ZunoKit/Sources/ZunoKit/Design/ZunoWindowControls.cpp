#include "ZunoWindowControls.h"

#include "ZunoHexColor.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

using Button = ZunoWindowButtonLayout::Button;

int indexOf(Button kind)
{
    return static_cast<int>(kind);
}

} // namespace

ZunoWindowControlButton::ZunoWindowControlButton(Button kind, QWidget *parent)
    : QAbstractButton(parent)
    , m_kind(kind)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kDiameter, kDiameter);
    setAttribute(Qt::WA_Hover);
    switch (kind) {
    case Button::close:
        setAccessibleName(QStringLiteral("Close"));
        break;
    case Button::minimize:
        setAccessibleName(QStringLiteral("Minimize"));
        break;
    case Button::maximize:
        setAccessibleName(QStringLiteral("Zoom"));
        break;
    }
}

void ZunoWindowControlButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill;
    switch (m_kind) {
    case Button::close:
        fill = zunoColorFromHex(0xFF5F57);
        break;
    case Button::minimize:
        fill = zunoColorFromHex(0xFEBC2E);
        break;
    case Button::maximize:
        fill = zunoColorFromHex(0x28C840);
        break;
    }
    if (!window()->isActiveWindow() && !underMouse())
        fill = QColor(255, 255, 255, 56);
    if (isDown())
        fill = fill.darker(120);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(fill);
    painter.drawEllipse(disc);

    const auto *group = qobject_cast<const ZunoWindowControls *>(parentWidget());
    if (!group || !group->isHovered())
        return;
    painter.setPen(QPen(QColor(0, 0, 0, 150), 1.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = disc.center();
    const qreal r = kDiameter * 0.22;
    switch (m_kind) {
    case Button::close:
        painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
        break;
    case Button::minimize:
        painter.drawLine(c + QPointF(-r * 1.2, 0), c + QPointF(r * 1.2, 0));
        break;
    case Button::maximize:
        painter.drawLine(c + QPointF(-r * 1.2, 0), c + QPointF(r * 1.2, 0));
        painter.drawLine(c + QPointF(0, -r * 1.2), c + QPointF(0, r * 1.2));
        break;
    }
}

bool ZunoWindowControlButton::event(QEvent *event)
{
    // Inactive windows show grey controls.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        update();
    return QAbstractButton::event(event);
}

ZunoWindowControls::ZunoWindowControls(const ZunoWindowButtonLayout &layout, QWidget *window)
    : QWidget(window)
    , m_layout(layout)
{
    setObjectName(QStringLiteral("zunoWindowControls"));
    setFocusPolicy(Qt::NoFocus);
    for (Button kind : { Button::close, Button::minimize, Button::maximize })
        m_buttons[indexOf(kind)] = new ZunoWindowControlButton(kind, this);
    int x = 0;
    for (Button kind : m_layout.order) {
        m_buttons[indexOf(kind)]->move(x, 0);
        x += ZunoWindowControlButton::kDiameter + kSpacing;
    }
    setFixedSize(x - kSpacing, ZunoWindowControlButton::kDiameter);

    connect(button(Button::close), &QAbstractButton::clicked, this, [this] { this->window()->close(); });
    connect(button(Button::minimize), &QAbstractButton::clicked, this,
        [this] { this->window()->showMinimized(); });
    connect(button(Button::maximize), &QAbstractButton::clicked, this, [this] {
        QWidget *w = this->window();
        if (w->isMaximized())
            w->showNormal();
        else
            w->showMaximized();
    });
}

ZunoWindowControlButton *ZunoWindowControls::button(Button kind) const
{
    return m_buttons[indexOf(kind)];
}

void ZunoWindowControls::place(qreal titlebarHeight)
{
    QWidget *w = parentWidget();
    if (!w)
        return;
    const int top = static_cast<int>(std::lround(titlebarHeight / 2 - height() / 2.0));
    const int left = m_layout.side == ZunoWindowButtonLayout::Side::left ? kEdgeMargin
                                                                         : w->width() - kEdgeMargin - width();
    move(left, top);
    raise();
}

void ZunoWindowControls::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    for (auto *b : m_buttons)
        b->update();
}

void ZunoWindowControls::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    for (auto *b : m_buttons)
        b->update();
}
