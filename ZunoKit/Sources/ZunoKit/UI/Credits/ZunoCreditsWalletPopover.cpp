#include "ZunoCreditsWalletPopover.h"

#include "ZunoActivityIndicator.h"
#include "ZunoAppBudgetEditorBlock.h"
#include "ZunoAppBudgetSummaryBlock.h"
#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsAuthBlock.h"
#include "ZunoCreditsHealthColors.h"
#include "ZunoCreditsUIFormatter.h"
#include "ZunoCreditsViewText.h"
#include "ZunoCreditsWalletPopoverUIState.h"
#include "ZunoFlowLayout.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolButton.h"
#include "ZunoTabularLabel.h"
#include "ZunoText.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using ZunoCreditsViewText::label;

namespace {

// One line of text cut in the middle when it does not fit (an e-mail address).
class MiddleElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return QSize(24, QLabel::minimumSizeHint().height()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignLeading | Qt::AlignVCenter,
            QFontMetricsF(font()).elidedText(text(), Qt::ElideMiddle, width()));
    }
};

QVBoxLayout *column(QWidget *parent, int spacing)
{
    auto *layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

std::shared_ptr<const ZunoButtonStyle> glass()
{
    return std::make_shared<ZunoGlassButtonStyle>(false);
}

} // namespace

struct ZunoCreditsWalletPopover::Account {
    ZunoTabularLabel *credits;
    ZunoTabularLabel *dollars;
    QLabel *email;
    ZunoTabularLabel *held;
    ZunoAppBudgetSummaryBlock *summary;
    ZunoAppBudgetEditorBlock *editor;
    ZunoButton *topUp, *portal, *refresh, *signOut;
    ZunoCreditsAuthBlock *auth;
};

struct ZunoCreditsWalletPopover::Connect {
    QLabel *sentence;
    ZunoCreditsAuthBlock *auth;
    ZunoButton *topUp, *portal;
};

QColor ZunoCreditsWalletPopover::background()
{
    return QColor::fromRgbF(18 / 255.0, 21 / 255.0, 40 / 255.0, 0.97);
}

ZunoCreditsWalletPopover::ZunoCreditsWalletPopover(ZunoCreditsAccountStore &store, const QColor &accentColor,
    std::optional<ZunoLanguage> language, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_accent(accentColor)
    , m_override(language)
    , m_state(new ZunoCreditsWalletPopoverUIState(this))
{
    setFixedWidth(kWidth);
    QVBoxLayout *stack = column(this, kSpacing);
    stack->setContentsMargins(kPadding, kPadding, kPadding, kPadding);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    m_dot = new ZunoCreditsHealthDot(8, this);
    m_title = label(QString(), ZunoFonts::system(13.5, QFont::Bold), ZunoGlassTokens::textPrimary(), this);
    m_refreshSymbol
        = new ZunoSymbolButton(QStringLiteral("arrow.clockwise"), 12, ZunoGlassTokens::textSecondary(), this);
    m_refreshSpinner = new ZunoActivityIndicator(ZunoActivityIndicator::Size::mini, this);
    header->addWidget(m_dot);
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_refreshSymbol);
    header->addWidget(m_refreshSpinner);
    stack->addLayout(header);

    m_sectionHost = new QWidget(this);
    column(m_sectionHost, 0);
    stack->addWidget(m_sectionHost);

    m_banner = new ZunoCreditsErrorBanner(11, 8, this);
    m_bannerText = m_banner->textLabel();
    stack->addWidget(m_banner);

    connect(m_refreshSymbol, &QAbstractButton::clicked, this, [this] { m_store.refresh(); });
    connect(&m_store, &ZunoCreditsAccountStore::stateChanged, this, &ZunoCreditsWalletPopover::follow);
    connect(m_state, &ZunoLanguageAwareUIState::languageRevisionChanged, this, [this] {
        if (!m_override)
            updateTexts();
    });
    follow();
}

ZunoCreditsWalletPopover::~ZunoCreditsWalletPopover()
{
    delete m_account;
    delete m_connect;
}

ZunoLanguage ZunoCreditsWalletPopover::language() const
{
    return m_override.value_or(ZunoLanguages::current());
}

QString ZunoCreditsWalletPopover::t(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, language());
}

void ZunoCreditsWalletPopover::paintEvent(QPaintEvent *)
{
    // Rounded, with the glass's faint edge, so that the panel stands out against a dark header.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ZunoContinuousShape::roundedRect(rect(), kCornerRadius), background());
    ZunoContinuousShape::strokeBorder(painter, rect(), kCornerRadius, ZunoGlassTokens::borderSubtle());
}

void ZunoCreditsWalletPopover::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_store.refreshIfStale(300);
}

void ZunoCreditsWalletPopover::buildAccount()
{
    auto *section = new QWidget(m_sectionHost);
    QVBoxLayout *stack = column(section, kSpacing);
    const ZunoLanguage l = language();
    Account *a = new Account;

    auto *card = new ZunoGlassCard(10, 10, section);
    auto *content = new QWidget;
    QVBoxLayout *lines = column(content, 4);
    auto *first = new QHBoxLayout;
    first->setSpacing(8);
    a->credits = new ZunoTabularLabel(
        QString(), ZunoFonts::system(22, QFont::Bold), ZunoGlassTokens::textPrimary(), content);
    a->dollars
        = new ZunoTabularLabel(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textSecondary(), content);
    first->addWidget(a->credits, 0, Qt::AlignBottom);
    first->addWidget(a->dollars, 0, Qt::AlignBottom);
    first->addStretch(1);
    lines->addLayout(first);
    auto *second = new QHBoxLayout;
    second->setSpacing(6);
    a->email = new MiddleElidedLabel(content);
    a->email->setForegroundRole(QPalette::WindowText);
    a->email->setFont(ZunoFonts::system(11.5));
    ZunoCreditsViewText::setColor(a->email, ZunoGlassTokens::textSecondary());
    a->held = new ZunoTabularLabel(QString(), ZunoFonts::system(10.5), ZunoGlassTokens::textMuted(), content);
    second->addWidget(a->email);
    second->addWidget(a->held);
    second->addStretch(1);
    lines->addLayout(second);
    card->setContent(content);
    stack->addWidget(card);

    a->summary = new ZunoAppBudgetSummaryBlock(
        m_store.currentAppName(), m_store.currentAppBudget(), m_store.budgetWarnings(), l, section);
    stack->addWidget(a->summary);
    stack->addWidget(ZunoCreditsViewText::divider(section));
    a->editor = new ZunoAppBudgetEditorBlock(m_store, l, section);
    stack->addWidget(a->editor);
    stack->addWidget(ZunoCreditsViewText::divider(section));

    auto *actions = new QWidget(section);
    auto *flow = new ZunoFlowLayout(7, 7, actions);
    a->topUp = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), actions);
    a->portal = new ZunoButton(QString(), glass(), actions);
    a->refresh = new ZunoButton(QString(), glass(), actions);
    a->signOut = new ZunoButton(QString(), glass(), actions);
    for (ZunoButton *button : { a->topUp, a->portal, a->refresh, a->signOut })
        flow->addWidget(button);
    stack->addWidget(actions);
    connect(a->topUp, &QAbstractButton::clicked, this, [this] { m_store.openTopUpPage(language()); });
    connect(a->portal, &QAbstractButton::clicked, this, [this] { m_store.openBudgetsPage(language()); });
    connect(a->refresh, &QAbstractButton::clicked, this, [this] { m_store.refresh(); });
    connect(a->signOut, &QAbstractButton::clicked, this, [this] { m_store.signOut(); });

    a->auth = new ZunoCreditsAuthBlock(m_store, m_accent, l, true, section);
    stack->addWidget(a->auth);
    m_account = a;
    m_section = section;
}

void ZunoCreditsWalletPopover::buildConnect()
{
    auto *section = new QWidget(m_sectionHost);
    QVBoxLayout *stack = column(section, kSpacing);
    Connect *c = new Connect;
    c->sentence = label(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textSecondary(), section);
    c->sentence->setWordWrap(true);
    stack->addWidget(c->sentence);
    c->auth = new ZunoCreditsAuthBlock(m_store, m_accent, language(), true, section);
    stack->addWidget(c->auth);
    stack->addWidget(ZunoCreditsViewText::divider(section));
    auto *links = new QWidget(section);
    auto *flow = new ZunoFlowLayout(7, 7, links);
    c->topUp = new ZunoButton(QString(), glass(), links);
    c->portal = new ZunoButton(QString(), glass(), links);
    flow->addWidget(c->topUp);
    flow->addWidget(c->portal);
    stack->addWidget(links);
    connect(c->topUp, &QAbstractButton::clicked, this, [this] { m_store.openTopUpPage(language()); });
    connect(c->portal, &QAbstractButton::clicked, this, [this] { m_store.openBudgetsPage(language()); });
    m_connect = c;
    m_section = section;
}

void ZunoCreditsWalletPopover::follow()
{
    const bool account = m_store.isSignedIn() && m_store.profile();
    if (!m_section || account != (m_account != nullptr)) {
        // A new section starts with fresh blocks.
        delete m_section;
        delete m_account;
        delete m_connect;
        m_account = nullptr;
        m_connect = nullptr;
        if (account)
            buildAccount();
        else
            buildConnect();
        m_sectionHost->layout()->addWidget(m_section);
        m_section->show();
        updateTexts();
    }

    m_dot->setColor(zunoCreditsHealthColor(m_store.healthStatus()));
    const bool refreshing = m_store.isRefreshing();
    m_refreshSymbol->setVisible(!refreshing);
    m_refreshSymbol->setEnabled(!refreshing);
    m_refreshSpinner->setVisible(refreshing);

    if (m_account) {
        const ZunoCreditAccountProfile &profile = *m_store.profile();
        const ZunoLanguage l = language();
        const double unit = ZunoCreditsViewText::unitMicros(profile);
        m_account->credits->setText(ZunoCreditsViewText::credits(profile, l));
        m_account->dollars->setText(ZunoCreditsViewText::dollars(profile.availableMicros));
        const QString email = profile.email.value_or(QString());
        m_account->email->setText(email);
        m_account->email->setVisible(!email.isEmpty());
        m_account->held->setText(QStringLiteral("\u00B7 ")
            + t(QStringLiteral("Held"), QStringLiteral("Bloke")) + QStringLiteral(": ")
            + ZunoCreditsUIFormatter::formatCredits(profile.heldMicros / unit, l));
        m_account->held->setVisible(profile.heldMicros >= 1);
        m_account->summary->setAppName(m_store.currentAppName());
        m_account->summary->setBudget(m_store.currentAppBudget());
        m_account->summary->setWarnings(m_store.budgetWarnings());
        m_account->refresh->setEnabled(!refreshing);
    }

    m_banner->setMessage(m_store.lastError());
}

void ZunoCreditsWalletPopover::updateTexts()
{
    const ZunoLanguage l = language();
    m_title->setText(t(QStringLiteral("Quarnwell Credits"), QStringLiteral("Quarnwell Kredisi")));
    m_refreshSymbol->setToolTip(t(QStringLiteral("Refresh"), QStringLiteral("Yenile")));
    const QString topUp = t(QStringLiteral("Top Up \u2197"), QStringLiteral("Kredi Yükle \u2197"));
    const QString portal
        = t(QStringLiteral("Manage in Portal \u2197"), QStringLiteral("Portalda Yönet \u2197"));
    if (m_account) {
        m_account->topUp->setText(topUp);
        m_account->portal->setText(portal);
        m_account->refresh->setText(t(QStringLiteral("Refresh"), QStringLiteral("Yenile")));
        m_account->signOut->setText(t(QStringLiteral("Sign Out"), QStringLiteral("Çıkış")));
        m_account->summary->setLanguage(l);
        m_account->editor->setLanguage(l);
        m_account->auth->setLanguage(l);
    }
    if (m_connect) {
        const QString host = ZunoCreditsViewText::portalHost();
        m_connect->sentence->setText(t(QStringLiteral("Connect your ") + host
                + QStringLiteral(
                    " account once to share Quarnwell AI credits and per-app spending limits across "
                    "all Quarnwell apps."),
            QStringLiteral("Tek seferde ") + host
                + QStringLiteral(" hesabınızı bağlayarak tüm Quarnwell uygulamalarında ortak AI kredisi ve "
                                 "uygulama bazlı harcama limiti kullanın.")));
        m_connect->topUp->setText(topUp);
        m_connect->portal->setText(portal);
        m_connect->auth->setLanguage(l);
    }
    if (m_section)
        follow();
}

ZunoTabularLabel *ZunoCreditsWalletPopover::creditsLabel() const
{
    return m_account ? m_account->credits : nullptr;
}

ZunoTabularLabel *ZunoCreditsWalletPopover::dollarsLabel() const
{
    return m_account ? m_account->dollars : nullptr;
}

QLabel *ZunoCreditsWalletPopover::emailLabel() const
{
    return m_account ? m_account->email : nullptr;
}

ZunoTabularLabel *ZunoCreditsWalletPopover::heldLabel() const
{
    return m_account ? m_account->held : nullptr;
}

ZunoAppBudgetSummaryBlock *ZunoCreditsWalletPopover::summaryBlock() const
{
    return m_account ? m_account->summary : nullptr;
}

ZunoAppBudgetEditorBlock *ZunoCreditsWalletPopover::editorBlock() const
{
    return m_account ? m_account->editor : nullptr;
}

ZunoButton *ZunoCreditsWalletPopover::refreshButton() const
{
    return m_account ? m_account->refresh : nullptr;
}

ZunoButton *ZunoCreditsWalletPopover::signOutButton() const
{
    return m_account ? m_account->signOut : nullptr;
}

QLabel *ZunoCreditsWalletPopover::connectSentence() const
{
    return m_connect ? m_connect->sentence : nullptr;
}

ZunoCreditsAuthBlock *ZunoCreditsWalletPopover::authBlock() const
{
    return m_account ? m_account->auth : m_connect ? m_connect->auth : nullptr;
}

ZunoButton *ZunoCreditsWalletPopover::topUpButton() const
{
    return m_account ? m_account->topUp : m_connect ? m_connect->topUp : nullptr;
}

ZunoButton *ZunoCreditsWalletPopover::portalButton() const
{
    return m_account ? m_account->portal : m_connect ? m_connect->portal : nullptr;
}
