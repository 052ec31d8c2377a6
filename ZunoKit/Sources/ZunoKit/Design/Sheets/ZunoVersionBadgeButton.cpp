#include "ZunoVersionBadgeButton.h"

#include "ZunoAppLogger.h"
#include "ZunoContinuousShape.h"
#include "ZunoFeedbackButton.h"
#include "ZunoSheetHost.h"
#include "ZunoText.h"
#include "ZunoVersionAndLogsView.h"
#include "ZunoVersionBadge.h"

#include <QAbstractButton>
#include <QHBoxLayout>

namespace {

// The badge as a button: the badge draws, the button takes the clicks inside its capsule.
class BadgeCapsuleButton : public QAbstractButton {
public:
    BadgeCapsuleButton(const ZunoAppVersion &version, bool showBuild)
        : m_badge(new ZunoVersionBadge(version, showBuild, this))
    {
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_TranslucentBackground);
        m_badge->setAttribute(Qt::WA_TransparentForMouseEvents);
        setText(m_badge->text());
    }

    QSize sizeHint() const override { return m_badge->sizeHint(); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool hitButton(const QPoint &pos) const override
    {
        return ZunoContinuousShape::capsule(rect()).contains(QPointF(pos) + QPointF(0.5, 0.5));
    }
    void resizeEvent(QResizeEvent *event) override
    {
        m_badge->setGeometry(rect());
        QAbstractButton::resizeEvent(event);
    }
    void paintEvent(QPaintEvent *) override { }

private:
    ZunoVersionBadge *m_badge;
};

} // namespace

ZunoVersionBadgeButton::ZunoVersionBadgeButton(const QString &appName, const ZunoAppVersion &version,
    std::shared_ptr<ZunoAppLogger> logger, ZunoProductPalette palette, ZunoLanguage language, bool showBuild,
    bool showFeedbackButton, QWidget *parent)
    : QWidget(parent)
    , m_appName(appName)
    , m_version(version)
    , m_logger(logger ? std::move(logger) : ZunoAppLogger::shared(appName))
    , m_palette(palette)
    , m_language(language)
    , m_showBuild(showBuild)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    m_badgeButton = new BadgeCapsuleButton(version, showBuild);
    connect(m_badgeButton, &QAbstractButton::clicked, this, &ZunoVersionBadgeButton::presentSheet);
    row->addWidget(m_badgeButton, 0, Qt::AlignVCenter);
    if (showFeedbackButton) {
        m_feedbackButton = new ZunoFeedbackButton(
            appName, version, ZunoFeedbackKind::feature, language, ZunoFeedbackButtonStyle::compactIcon);
        row->addWidget(m_feedbackButton, 0, Qt::AlignVCenter);
    }
    applyTexts();
}

ZunoVersionBadgeButton::~ZunoVersionBadgeButton()
{
    // The sheet lives in the window; it goes with the badge that presented it.
    if (m_sheet)
        delete m_sheet.data();
}

void ZunoVersionBadgeButton::setLanguage(ZunoLanguage language)
{
    m_language = language;
    applyTexts();
    if (m_feedbackButton)
        m_feedbackButton->setLanguage(language);
}

void ZunoVersionBadgeButton::applyTexts()
{
    const QString tooltip = tooltipText(m_version, m_language);
    m_badgeButton->setToolTip(tooltip);
    m_badgeButton->setAccessibleName(tooltip);
}

QString ZunoVersionBadgeButton::tooltipText(const ZunoAppVersion &version, ZunoLanguage language)
{
    const QString shown = version.detailedDisplay();
    return zunoText(
        QStringLiteral("Version ") + shown + QStringLiteral(" — Click to view Release History & Logs"),
        QStringLiteral("Sürüm ") + shown + QStringLiteral(" — Sürüm Geçmişi ve Logları görmek için tıklayın"),
        language);
}

bool ZunoVersionBadgeButton::isSheetPresented() const
{
    return m_sheet != nullptr;
}

ZunoSheetHost *ZunoVersionBadgeButton::sheetHost() const
{
    return m_sheet;
}

ZunoVersionAndLogsView *ZunoVersionBadgeButton::sheetView() const
{
    return m_sheet ? static_cast<ZunoVersionAndLogsView *>(m_sheet->content()) : nullptr;
}

void ZunoVersionBadgeButton::presentSheet()
{
    if (m_sheet)
        return;
    auto *view = new ZunoVersionAndLogsView(
        m_appName, m_version, m_logger, m_palette, m_language, {}, [self = QPointer(this)] {
            if (self)
                self->dismissSheet();
        });
    m_sheet = ZunoSheetHost::present(this, view, QSize(kSheetMinimumWidth, kSheetMinimumHeight));
    connect(m_sheet, &ZunoSheetHost::dismissed, this, [this] {
        m_sheet = nullptr;
        emit sheetPresentedChanged(false);
    });
    emit sheetPresentedChanged(true);
}

void ZunoVersionBadgeButton::dismissSheet()
{
    if (m_sheet)
        m_sheet->dismiss();
}
