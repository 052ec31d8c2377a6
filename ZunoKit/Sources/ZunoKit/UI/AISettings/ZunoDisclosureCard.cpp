#include "ZunoDisclosureCard.h"

#include "ZunoColumn.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr qreal kChevronFrame = 12;
constexpr qreal kSpacing = 7;
constexpr qreal kFocusRadius = 6;

// The header: chevron (10.5 semibold in a 12-wide frame) and title (12 semibold), one line.
class DisclosureHeader : public QAbstractButton {
public:
    explicit DisclosureHeader(QWidget *parent)
        : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        ZunoFocusRing::track(this);
        setCheckable(true);
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF title(ZunoFonts::system(12, QFont::DemiBold));
        const qreal height = std::max(title.height(), ZunoSymbolRegistry::sideForFont(chevronFont()));
        return QSize(qCeil(kChevronFrame + kSpacing + title.horizontalAdvance(text())), qCeil(height));
    }
    QSize minimumSizeHint() const override
    {
        return QSize(qCeil(kChevronFrame + kSpacing), sizeHint().height());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = ZunoSymbolRegistry::sideForFont(chevronFont());
        const QRectF frame(0, 0, kChevronFrame, height());
        const QRectF box(frame.center().x() - side / 2, frame.center().y() - side / 2, side, side);
        ZunoSymbolRegistry::paint(painter, box,
            isChecked() ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"),
            ZunoGlassTokens::textSecondary());
        const QFont font = ZunoFonts::system(12, QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(ZunoGlassTokens::textPrimary());
        const QRectF textRect(kChevronFrame + kSpacing, 0, width() - kChevronFrame - kSpacing, height());
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeading,
            QFontMetricsF(font).elidedText(text(), Qt::ElideRight, textRect.width()));
        ZunoFocusRing::paintIfVisible(painter, this, rect(), kFocusRadius);
    }

private:
    static QFont chevronFont() { return ZunoFonts::system(10.5, QFont::DemiBold); }
};

} // namespace

ZunoDisclosureCard::ZunoDisclosureCard(const QString &title, QWidget *parent)
    : ZunoGlassCard(12, 14, parent)
    , m_header(new DisclosureHeader(nullptr))
{
    auto *content = new QWidget;
    m_column = zunoColumn(content, 0);
    m_column->addWidget(m_header);
    setContent(content);
    m_header->setText(title);
    connect(m_header, &QAbstractButton::clicked, this, [this] {
        setExpanded(!m_expanded);
        emit toggled(m_expanded);
    });
    apply();
}

QString ZunoDisclosureCard::title() const
{
    return m_header->text();
}

void ZunoDisclosureCard::setTitle(const QString &title)
{
    if (title == m_header->text())
        return;
    m_header->setText(title);
    m_header->updateGeometry();
    m_header->update();
}

void ZunoDisclosureCard::setExpanded(bool expanded)
{
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    apply();
}

void ZunoDisclosureCard::setBody(QWidget *body)
{
    if (m_body) {
        m_column->removeWidget(m_body);
        m_body->deleteLater();
    }
    m_body = body;
    if (body)
        m_column->addWidget(body);
    apply();
}

void ZunoDisclosureCard::apply()
{
    m_header->setChecked(m_expanded);
    m_column->setSpacing(m_expanded ? 12 : 0);
    if (m_body)
        m_body->setVisible(m_expanded);
    m_header->update();
}
