#include "ZunoFeedbackButton.h"

#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoFeedbackService.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoMainThread.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

#include <cmath>

namespace {

QFont compactSymbolFont()
{
    return ZunoFonts::system(10, QFont::DemiBold);
}

// The symbol alone on a small capsule; only the capsule takes clicks.
class CompactFeedbackIcon : public QAbstractButton {
public:
    explicit CompactFeedbackIcon(QWidget *parent)
        : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_TranslucentBackground);
    }

    QSize sizeHint() const override
    {
        const qreal side = ZunoSymbolRegistry::sideForFont(compactSymbolFont());
        return QSize(static_cast<int>(std::ceil(side + 2 * ZunoFeedbackButton::kCompactHorizontalPadding)),
            static_cast<int>(std::ceil(side + 2 * ZunoFeedbackButton::kCompactVerticalPadding)));
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool hitButton(const QPoint &pos) const override
    {
        return ZunoContinuousShape::capsule(rect()).contains(QPointF(pos) + QPointF(0.5, 0.5));
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = rect();
        painter.fillPath(ZunoContinuousShape::capsule(bounds), ZunoGlassTokens::surface2());
        ZunoContinuousShape::strokeBorder(painter, bounds, -1, ZunoGlassTokens::borderSubtle());
        const QRectF symbol = bounds.adjusted(ZunoFeedbackButton::kCompactHorizontalPadding,
            ZunoFeedbackButton::kCompactVerticalPadding, -ZunoFeedbackButton::kCompactHorizontalPadding,
            -ZunoFeedbackButton::kCompactVerticalPadding);
        ZunoSymbolRegistry::paint(painter, symbol, QString::fromLatin1(ZunoFeedbackButton::kSymbol),
            ZunoGlassTokens::textSecondary());
    }
};

} // namespace

ZunoFeedbackButton::ZunoFeedbackButton(const QString &appName, const ZunoAppVersion &version,
    ZunoFeedbackKind kind, ZunoLanguage language, ZunoFeedbackButtonStyle style,
    const std::optional<QString> &baseURL, QWidget *parent)
    : QWidget(parent)
    , m_appName(appName)
    , m_version(version)
    , m_kind(kind)
    , m_language(language)
    , m_style(style)
    , m_baseURL(baseURL)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (style == ZunoFeedbackButtonStyle::labeledPill) {
        auto *pill = new ZunoButton(QString(),
            std::make_shared<ZunoGlassButtonStyle>(
                false, ZunoFonts::style(ZunoTextStyle::caption, QFont::Medium)));
        pill->setSymbol(QString::fromLatin1(kSymbol));
        m_button = pill;
    } else {
        m_button = new CompactFeedbackIcon(this);
    }
    layout->addWidget(m_button);
    connect(m_button, &QAbstractButton::clicked, this, &ZunoFeedbackButton::openFeedbackPage);
    applyTexts();
}

void ZunoFeedbackButton::setLanguage(ZunoLanguage language)
{
    m_language = language;
    applyTexts();
}

void ZunoFeedbackButton::applyTexts()
{
    const QString tooltip = tooltipText(m_language);
    m_button->setToolTip(tooltip);
    if (m_style == ZunoFeedbackButtonStyle::labeledPill) {
        const QString title = titleText(m_language);
        m_button->setText(title);
        // The title's "&" is text, not a mnemonic: no Alt shortcut, and assistive technologies read it whole.
        m_button->setShortcut(QKeySequence());
        m_button->setAccessibleName(title);
    } else {
        m_button->setAccessibleName(tooltip);
    }
    updateGeometry();
}

void ZunoFeedbackButton::openFeedbackPage() const
{
    Q_ASSERT(ZunoMainThread::isMainThread());
    ZunoFeedbackService::openInBrowser(m_appName, m_version, m_kind, m_language, m_baseURL);
}

QString ZunoFeedbackButton::tooltipText(ZunoLanguage language)
{
    return zunoText(QStringLiteral("Listening to you — Report a bug or share an idea"),
        QStringLiteral("Sizi dinliyoruz — Hata bildir veya fikir paylaş"), language);
}

QString ZunoFeedbackButton::titleText(ZunoLanguage language)
{
    return zunoText(
        QStringLiteral("Send Feedback & Ideas"), QStringLiteral("Geri Bildirim & Fikir Gönder"), language);
}
