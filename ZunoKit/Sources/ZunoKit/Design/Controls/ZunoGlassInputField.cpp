#include "ZunoGlassInputField.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>

namespace {

// Paints the glass behind the field before the field paints its text.
class ZunoGlassInputFieldBackground : public QObject {
public:
    ZunoGlassInputFieldBackground(QLineEdit *field, double cornerRadius)
        : QObject(field)
        , m_field(field)
        , m_cornerRadius(cornerRadius)
    {
        setObjectName(QStringLiteral("ZunoGlassInputFieldBackground"));
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_field && event->type() == QEvent::Paint) {
            QPainter painter(m_field);
            painter.setRenderHint(QPainter::Antialiasing);
            const QRectF bounds = m_field->rect();
            painter.fillPath(
                ZunoContinuousShape::roundedRect(bounds, m_cornerRadius), ZunoGlassTokens::surface2());
            ZunoContinuousShape::strokeBorder(
                painter, bounds, m_cornerRadius, ZunoGlassTokens::borderSubtle());
            ZunoFocusRing::paintIfVisible(painter, m_field, bounds, m_cornerRadius);
        }
        return false;
    }

private:
    QLineEdit *m_field;
    double m_cornerRadius;
};

} // namespace

QLineEdit *zunoGlassInputField(
    QLineEdit *field, double cornerRadius, double horizontalPadding, double verticalPadding)
{
    if (!field)
        return field;
    if (QObject *earlier = field->findChild<QObject *>(
            QStringLiteral("ZunoGlassInputFieldBackground"), Qt::FindDirectChildrenOnly)) {
        field->removeEventFilter(earlier);
        delete earlier;
    }
    field->setFrame(false);
    field->setAttribute(Qt::WA_TranslucentBackground);
    field->setFont(ZunoFonts::system(12.5));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, ZunoGlassTokens::textPrimary());
    // The platform's placeholder colour on dark glass.
    QColor placeholder(Qt::white);
    placeholder.setAlphaF(0.25f);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    field->setPalette(palette);
    const int h = qRound(horizontalPadding);
    const int v = qRound(verticalPadding);
    field->setTextMargins(h, v, h, v);
    field->installEventFilter(new ZunoGlassInputFieldBackground(field, cornerRadius));
    ZunoFocusRing::track(field);
    field->update();
    return field;
}
