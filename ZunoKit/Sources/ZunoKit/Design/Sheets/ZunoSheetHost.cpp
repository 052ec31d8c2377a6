#include "ZunoSheetHost.h"

#include "ZunoContinuousShape.h"
#include "ZunoGlassTokens.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace {

constexpr int kShadowReach = 18;
constexpr int kShadowOffsetY = 6;
constexpr qreal kShadowOpacity = 0.4;
// Under content that paints nothing of its own.
const QColor kCardFill(0x15, 0x17, 0x20);

// The card: the content clipped to the rounded shape. A mask cannot be antialiased, so the edge
// widget above the content draws the border smoothly over the mask's steps.
class SheetCard : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), kCardFill);
    }
    void resizeEvent(QResizeEvent *event) override
    {
        const QPainterPath shape = ZunoContinuousShape::roundedRect(rect(), ZunoSheetHost::kCornerRadius);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
        QWidget::resizeEvent(event);
    }
};

class SheetEdge : public QWidget {
public:
    explicit SheetEdge(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        ZunoContinuousShape::strokeBorder(
            painter, rect(), ZunoSheetHost::kCornerRadius, ZunoGlassTokens::borderSubtle());
    }
};

bool acceptsTabFocus(const QWidget *widget, const QWidget *within)
{
    return widget->isVisibleTo(within) && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

} // namespace

ZunoSheetHost *ZunoSheetHost::present(QWidget *anchor, QWidget *content, QSize minimumSize)
{
    Q_ASSERT(anchor && content);
    auto *host = new ZunoSheetHost(anchor->window(), content, minimumSize);
    host->show();
    host->raise();
    const QList<QWidget *> focusable = host->focusableDescendants();
    if (focusable.isEmpty())
        host->setFocus(Qt::OtherFocusReason);
    else
        focusable.first()->setFocus(Qt::OtherFocusReason);
    host->fade(1);
    return host;
}

QList<ZunoSheetHost *> ZunoSheetHost::sheets(const QWidget *window)
{
    QList<ZunoSheetHost *> result;
    if (!window)
        return result;
    for (QObject *child : window->children()) {
        auto *sheet = qobject_cast<ZunoSheetHost *>(child);
        if (sheet && !sheet->m_dismissing)
            result.append(sheet);
    }
    return result;
}

ZunoSheetHost::ZunoSheetHost(QWidget *window, QWidget *content, QSize minimumSize)
    : QWidget(window)
    , m_content(content)
    , m_minimumSize(minimumSize)
    , m_previousFocus(QApplication::focusWidget())
    , m_fade(new QVariantAnimation(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    m_card = new SheetCard(this);
    auto *layout = new QVBoxLayout(m_card);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    m_edge = new SheetEdge(m_card);

    m_opacity = new QGraphicsOpacityEffect(this);
    m_opacity->setOpacity(0);
    setGraphicsEffect(m_opacity);
    m_fade->setDuration(kFadeDurationMs);
    m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (m_opacity)
            m_opacity->setOpacity(value.toReal());
    });
    connect(m_fade, &QVariantAnimation::finished, this, [this] {
        if (m_dismissing) {
            deleteLater();
            return;
        }
        // Drawing through the effect renders the whole sheet off screen; not needed once it is in.
        setGraphicsEffect(nullptr);
        m_opacity = nullptr;
    });

    window->installEventFilter(this);
    // A content whose size hint changes (a row shown, an attachment added) asks its parent, the card,
    // for a new layout: the card then follows it, up to the window.
    m_card->installEventFilter(this);
    setGeometry(window->rect());
}

QRect ZunoSheetHost::cardGeometry() const
{
    return m_card->geometry();
}

void ZunoSheetHost::layoutCard()
{
    const QSize available = (size() - QSize(2 * kWindowMargin, 2 * kWindowMargin)).expandedTo(QSize(0, 0));
    const QSize wanted = m_content->sizeHint().expandedTo(m_minimumSize);
    const QSize card = wanted.boundedTo(available);
    m_card->setGeometry(QRect(QPoint((width() - card.width()) / 2, (height() - card.height()) / 2), card));
    m_edge->setGeometry(m_card->rect());
    m_edge->raise();
}

void ZunoSheetHost::fade(qreal to)
{
    if (!m_opacity) {
        m_opacity = new QGraphicsOpacityEffect(this);
        m_opacity->setOpacity(1);
        setGraphicsEffect(m_opacity);
    }
    m_fade->stop();
    m_fade->setStartValue(m_opacity->opacity());
    m_fade->setEndValue(to);
    m_fade->start();
}

void ZunoSheetHost::dismiss()
{
    if (m_dismissing)
        return;
    m_dismissing = true;
    if (QWidget *window = parentWidget())
        window->removeEventFilter(this);
    QWidget *focused = QApplication::focusWidget();
    const bool focusInside = focused == this || isAncestorOf(focused);
    if (m_previousFocus && m_previousFocus->isVisible())
        m_previousFocus->setFocus(Qt::OtherFocusReason);
    else if (focusInside)
        focused->clearFocus();
    emit dismissed();
    fade(0);
}

bool ZunoSheetHost::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    else if (watched == m_card && event->type() == QEvent::LayoutRequest && !m_dismissing)
        layoutCard();
    return QWidget::eventFilter(watched, event);
}

void ZunoSheetHost::resizeEvent(QResizeEvent *event)
{
    layoutCard();
    QWidget::resizeEvent(event);
}

void ZunoSheetHost::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor dim(Qt::black);
    dim.setAlphaF(static_cast<float>(kBackdropOpacity));
    painter.fillRect(rect(), dim);

    // A soft shadow: rings that grow fainter outwards, slightly below the card.
    const QRectF card = QRectF(cardGeometry()).translated(0, kShadowOffsetY);
    for (int reach = kShadowReach; reach >= 1; --reach) {
        const qreal falloff = 1.0 - qreal(reach) / (kShadowReach + 1);
        QColor shade(Qt::black);
        shade.setAlphaF(static_cast<float>(kShadowOpacity * falloff * falloff / kShadowReach * 3));
        painter.fillPath(ZunoContinuousShape::roundedRect(
                             card.adjusted(-reach, -reach, reach, reach), kCornerRadius + reach),
            shade);
    }
}

// The backdrop takes every click and scroll so nothing beneath the sheet reacts.
void ZunoSheetHost::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ZunoSheetHost::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void ZunoSheetHost::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void ZunoSheetHost::wheelEvent(QWheelEvent *event)
{
    event->accept();
}

void ZunoSheetHost::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_dismissesOnEscape) {
        dismiss();
        return;
    }
    // Keys the sheet does not use never reach the window beneath.
    event->accept();
}

QList<QWidget *> ZunoSheetHost::focusableDescendants() const
{
    QList<QWidget *> result;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && acceptsTabFocus(w, this))
            result.append(w);
    }
    return result;
}

bool ZunoSheetHost::focusNextPrevChild(bool next)
{
    const QList<QWidget *> chain = focusableDescendants();
    if (chain.isEmpty())
        return true;
    const qsizetype current = chain.indexOf(QApplication::focusWidget());
    qsizetype target;
    if (current < 0)
        target = next ? 0 : chain.size() - 1;
    else
        target = (current + (next ? 1 : -1) + chain.size()) % chain.size();
    chain[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
