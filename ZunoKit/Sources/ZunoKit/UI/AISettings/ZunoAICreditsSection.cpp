#include "ZunoAICreditsSection.h"

#include "ZunoAppBudgetEditorBlock.h"
#include "ZunoAppBudgetSummaryBlock.h"
#include "ZunoButton.h"
#include "ZunoCapsuleLabel.h"
#include "ZunoColumn.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsAuthBlock.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoCreditsErrorBanner.h"
#include "ZunoCreditsHealthColors.h"
#include "ZunoCreditsHealthDot.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFlowLayout.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoTabularLabel.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using ZunoCreditsViewText::label;

namespace {

std::shared_ptr<const ZunoButtonStyle> glass()
{
    return std::make_shared<ZunoGlassButtonStyle>(false);
}

} // namespace

struct ZunoAICreditsSection::Account {
    ZunoTabularLabel *credits;
    ZunoTabularLabel *dollars;
    QLabel *email;
    ZunoButton *topUp, *spending, *signOut;
    QWidget *divider;
    ZunoAppBudgetSummaryBlock *summary;
    ZunoCreditsDisclosureButton *disclosure;
    QVBoxLayout *stack;
    ZunoAppBudgetEditorBlock *editor = nullptr;
};

struct ZunoAICreditsSection::Offer {
    QLabel *text;
    ZunoCreditsAuthBlock *auth;
};

ZunoAICreditsSection::ZunoAICreditsSection(
    ZunoCreditsAccountStore &store, const QColor &accentColor, ZunoLanguage language, QWidget *parent)
    : ZunoGlassCard(16, 14, parent)
    , m_store(store)
    , m_accent(accentColor)
    , m_language(language)
{
    auto *content = new QWidget;
    QVBoxLayout *stack = zunoColumn(content, 12);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    m_dot = new ZunoCreditsHealthDot(9, content);
    m_title = label(QString(), ZunoFonts::system(13.5, QFont::Bold), ZunoGlassTokens::textPrimary(), content);
    m_refresh = new ZunoButton(QString(), glass(), content);
    m_refresh->setSymbol(QStringLiteral("arrow.clockwise"));
    m_refresh->setFont(ZunoFonts::system(11.5, QFont::Medium));
    m_badge = new ZunoCapsuleLabel(ZunoFonts::system(11, QFont::Medium), 9, 3, content);
    m_badge->setColors(ZunoGlassTokens::surface2(), ZunoGlassTokens::textSecondary());
    header->addWidget(m_dot);
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_refresh);
    header->addWidget(m_badge);
    stack->addLayout(header);

    m_partHost = new QWidget(content);
    zunoColumn(m_partHost, 0);
    stack->addWidget(m_partHost);

    m_banner = new ZunoCreditsErrorBanner(11.5, 9, content);
    stack->addWidget(m_banner);
    setContent(content);

    connect(m_refresh, &QAbstractButton::clicked, this, [this] { m_store.refresh(); });
    connect(&m_store, &ZunoCreditsAccountStore::stateChanged, this, &ZunoAICreditsSection::follow);
    follow();
}

ZunoAICreditsSection::~ZunoAICreditsSection()
{
    delete m_account;
    delete m_offer;
}

QString ZunoAICreditsSection::t(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_language);
}

void ZunoAICreditsSection::setLanguage(ZunoLanguage language)
{
    if (language == m_language)
        return;
    m_language = language;
    updateTexts();
}

void ZunoAICreditsSection::setShowBudgetEditor(bool show)
{
    if (show == m_showBudgetEditor)
        return;
    m_showBudgetEditor = show;
    placeEditor();
    emit showBudgetEditorChanged(show);
}

void ZunoAICreditsSection::buildAccount()
{
    auto *part = new QWidget(m_partHost);
    Account *a = new Account;
    a->stack = zunoColumn(part, 12);

    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    auto *amounts = new QVBoxLayout;
    amounts->setSpacing(3);
    auto *figures = new QHBoxLayout;
    figures->setSpacing(8);
    a->credits = new ZunoTabularLabel(
        QString(), ZunoFonts::system(21, QFont::Bold), ZunoGlassTokens::textPrimary(), part);
    a->dollars
        = new ZunoTabularLabel(QString(), ZunoFonts::system(12), ZunoGlassTokens::textSecondary(), part);
    figures->addWidget(a->credits, 0, Qt::AlignBottom);
    figures->addWidget(a->dollars, 0, Qt::AlignBottom);
    figures->addStretch(1);
    amounts->addLayout(figures);
    a->email = label(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textSecondary(), part);
    a->email->setWordWrap(true);
    amounts->addWidget(a->email);
    row->addLayout(amounts, 1);

    auto *actions = new QWidget(part);
    auto *flow = new ZunoFlowLayout(6, 6, actions);
    a->topUp = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), actions);
    a->spending = new ZunoButton(QString(), glass(), actions);
    a->signOut = new ZunoButton(QString(), glass(), actions);
    for (ZunoButton *button : { a->topUp, a->spending, a->signOut })
        flow->addWidget(button);
    row->addWidget(actions, 0, Qt::AlignVCenter);
    a->stack->addLayout(row);

    a->divider = ZunoCreditsViewText::divider(part);
    a->stack->addWidget(a->divider);
    a->summary = new ZunoAppBudgetSummaryBlock(
        m_store.currentAppName(), m_store.currentAppBudget(), m_store.budgetWarnings(), m_language, part);
    a->stack->addWidget(a->summary);

    a->disclosure = new ZunoCreditsDisclosureButton(ZunoFonts::system(9.5, QFont::DemiBold),
        ZunoGlassTokens::textMuted(), ZunoFonts::system(11.5, QFont::Medium),
        ZunoGlassTokens::textSecondary(), 5, part);
    a->stack->addWidget(a->disclosure);

    connect(a->topUp, &QAbstractButton::clicked, this, [this] { m_store.openTopUpPage(m_language); });
    connect(a->spending, &QAbstractButton::clicked, this, [this] { m_store.openBudgetsPage(m_language); });
    connect(a->signOut, &QAbstractButton::clicked, this, [this] { m_store.signOut(); });
    connect(
        a->disclosure, &QAbstractButton::clicked, this, [this] { setShowBudgetEditor(!m_showBudgetEditor); });
    m_account = a;
    m_part = part;
    placeEditor();
}

void ZunoAICreditsSection::buildOffer()
{
    auto *part = new QWidget(m_partHost);
    QVBoxLayout *stack = zunoColumn(part, 12);
    Offer *o = new Offer;
    o->text = label(QString(), ZunoFonts::system(12), ZunoGlassTokens::textSecondary(), part);
    o->text->setWordWrap(true);
    stack->addWidget(o->text);
    o->auth = new ZunoCreditsAuthBlock(m_store, m_accent, m_language, false, part);
    stack->addWidget(o->auth);
    m_offer = o;
    m_part = part;
}

void ZunoAICreditsSection::placeEditor()
{
    if (!m_account)
        return;
    m_account->disclosure->setOpen(m_showBudgetEditor);
    if (m_showBudgetEditor == (m_account->editor != nullptr))
        return;
    // Closing discards what was typed; opening starts afresh.
    delete m_account->editor;
    m_account->editor = nullptr;
    if (m_showBudgetEditor) {
        m_account->editor = new ZunoAppBudgetEditorBlock(m_store, m_language, m_part);
        m_account->stack->addWidget(m_account->editor);
        m_account->editor->show();
    }
}

void ZunoAICreditsSection::follow()
{
    const bool account = m_store.isSignedIn() && m_store.profile();
    if (!m_part || account != (m_account != nullptr)) {
        delete m_part;
        delete m_account;
        delete m_offer;
        m_part = nullptr;
        m_account = nullptr;
        m_offer = nullptr;
        if (account)
            buildAccount();
        else
            buildOffer();
        m_partHost->layout()->addWidget(m_part);
        m_part->show();
        updateTexts();
    }

    m_dot->setColor(zunoCreditsHealthColor(m_store.healthStatus()));
    const bool signedIn = m_store.isSignedIn();
    const bool refreshing = m_store.isRefreshing();
    m_refresh->setVisible(signedIn);
    m_refresh->setBusy(refreshing);
    m_refresh->setEnabled(!refreshing);
    m_badge->setVisible(!signedIn);

    if (m_account) {
        const ZunoCreditAccountProfile &profile = *m_store.profile();
        m_account->credits->setText(ZunoCreditsViewText::credits(profile, m_language));
        m_account->dollars->setText(ZunoCreditsViewText::dollars(profile.availableMicros));
        const QString email = profile.email.value_or(QString());
        m_account->email->setText(email);
        m_account->email->setVisible(!email.isEmpty());
        const bool summary = m_store.currentAppBudget() || !m_store.budgetWarnings().isEmpty();
        m_account->divider->setVisible(summary);
        m_account->summary->setVisible(summary);
        m_account->summary->setAppName(m_store.currentAppName());
        m_account->summary->setBudget(m_store.currentAppBudget());
        m_account->summary->setWarnings(m_store.budgetWarnings());
    }
    m_banner->setMessage(m_store.lastError());
}

void ZunoAICreditsSection::updateTexts()
{
    m_title->setText(t(QStringLiteral("1. Quarnwell Account (Easiest Way)"),
        QStringLiteral("1. Quarnwell Hesabı (En Kolay Yol)")));
    m_refresh->setText(t(QStringLiteral("Refresh"), QStringLiteral("Yenile")));
    m_badge->setText(t(QStringLiteral("Not connected"), QStringLiteral("Bağlı değil")));
    if (m_account) {
        m_account->topUp->setText(t(QStringLiteral("Top Up \u2197"), QStringLiteral("Kredi Yükle \u2197")));
        m_account->spending->setText(
            t(QStringLiteral("Spending \u2197"), QStringLiteral("Harcama Özeti \u2197")));
        m_account->signOut->setText(t(QStringLiteral("Sign Out"), QStringLiteral("Çıkış")));
        m_account->summary->setLanguage(m_language);
        m_account->disclosure->setTitle(t(QStringLiteral("Spending limits & low-balance alerts"),
            QStringLiteral("Harcama limiti ve düşük bakiye uyarısı")));
        if (m_account->editor)
            m_account->editor->setLanguage(m_language);
    }
    if (m_offer) {
        m_offer->text->setText(t(
            QStringLiteral("Use all AI models right away with one account — no API keys or "
                           "technical setup needed."),
            QStringLiteral("API anahtarı veya teknik kurulum gerekmeden tek hesapla tüm AI modellerini hemen "
                           "kullanın.")));
        m_offer->auth->setLanguage(m_language);
    }
    if (m_part)
        follow();
}

ZunoTabularLabel *ZunoAICreditsSection::creditsLabel() const
{
    return m_account ? m_account->credits : nullptr;
}

ZunoTabularLabel *ZunoAICreditsSection::dollarsLabel() const
{
    return m_account ? m_account->dollars : nullptr;
}

QLabel *ZunoAICreditsSection::emailLabel() const
{
    return m_account ? m_account->email : nullptr;
}

ZunoButton *ZunoAICreditsSection::topUpButton() const
{
    return m_account ? m_account->topUp : nullptr;
}

ZunoButton *ZunoAICreditsSection::spendingButton() const
{
    return m_account ? m_account->spending : nullptr;
}

ZunoButton *ZunoAICreditsSection::signOutButton() const
{
    return m_account ? m_account->signOut : nullptr;
}

QWidget *ZunoAICreditsSection::summaryDivider() const
{
    return m_account ? m_account->divider : nullptr;
}

ZunoAppBudgetSummaryBlock *ZunoAICreditsSection::summaryBlock() const
{
    return m_account ? m_account->summary : nullptr;
}

ZunoCreditsDisclosureButton *ZunoAICreditsSection::disclosureRow() const
{
    return m_account ? m_account->disclosure : nullptr;
}

ZunoAppBudgetEditorBlock *ZunoAICreditsSection::editorBlock() const
{
    return m_account ? m_account->editor : nullptr;
}

QLabel *ZunoAICreditsSection::offerText() const
{
    return m_offer ? m_offer->text : nullptr;
}

ZunoCreditsAuthBlock *ZunoAICreditsSection::authBlock() const
{
    return m_offer ? m_offer->auth : nullptr;
}
