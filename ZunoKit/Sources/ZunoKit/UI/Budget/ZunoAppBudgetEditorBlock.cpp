#include "ZunoAppBudgetEditorBlock.h"

#include "ZunoBudgetEditorUIState.h"
#include "ZunoButton.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoCreditsUIFormatter.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolIcon.h"
#include "ZunoText.h"
#include "ZunoWhileAlive.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <array>
#include <utility>

using ZunoCreditsViewText::label;

namespace {

const std::array<std::pair<const char *, const char *>, 3> kMessages = { {
    { "Enter valid non-negative numbers (or leave blank for unlimited).",
        "Geçerli, negatif olmayan sayılar girin (limitsiz için boş bırakın)." },
    { "App limits updated.", "Uygulama limitleri güncellendi." },
    { "Caps removed.", "Limitler kaldırıldı." },
} };
enum Message { invalid, updated, removed };

QVBoxLayout *column(QWidget *parent, int spacing)
{
    auto *layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

ZunoAppBudgetEditorBlock::ZunoAppBudgetEditorBlock(
    ZunoCreditsAccountStore &store, ZunoLanguage language, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_language(language)
    , m_state(new ZunoBudgetEditorUIState(this))
{
    QVBoxLayout *stack = column(this, 8);

    m_header = new ZunoCreditsDisclosureButton(ZunoFonts::system(10, QFont::DemiBold),
        ZunoGlassTokens::textSecondary(), ZunoFonts::system(11.5, QFont::DemiBold),
        ZunoGlassTokens::textPrimary(), 6, this);
    stack->addWidget(m_header);
    connect(m_header, &QAbstractButton::clicked, this, &ZunoAppBudgetEditorBlock::toggleExpanded);

    auto *panel = new ZunoGlassCard(10, 10, this);
    m_panel = panel;
    auto *content = new QWidget;
    QVBoxLayout *panelStack = column(content, 8);
    auto *fields = new QHBoxLayout;
    fields->setSpacing(8);
    const auto field = [&](QLabel *&caption, QLineEdit *&edit) {
        auto *fieldColumn = new QVBoxLayout;
        fieldColumn->setSpacing(3);
        caption = label(
            QString(), ZunoFonts::system(10.5, QFont::Medium), ZunoGlassTokens::textSecondary(), content);
        edit = zunoGlassInputField(new QLineEdit(content), 8, 8, 5);
        fieldColumn->addWidget(caption);
        fieldColumn->addWidget(edit);
        fields->addLayout(fieldColumn, 1);
    };
    field(m_dailyCaption, m_daily);
    field(m_monthlyCaption, m_monthly);
    panelStack->addLayout(fields);
    m_status = label(QString(), ZunoFonts::system(11), ZunoGlassTokens::success(), content);
    m_status->setWordWrap(true);
    panelStack->addWidget(m_status);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_save = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), content);
    m_clear = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), content);
    buttons->addWidget(m_save);
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    panelStack->addLayout(buttons);
    panel->setContent(content);
    stack->addWidget(panel);

    // Only Save saves: Return in a field does nothing.
    connect(m_daily, &QLineEdit::textEdited, m_state, &ZunoBudgetEditorUIState::setDailyLimitText);
    connect(m_monthly, &QLineEdit::textEdited, m_state, &ZunoBudgetEditorUIState::setMonthlyLimitText);
    connect(m_save, &QAbstractButton::clicked, this, &ZunoAppBudgetEditorBlock::saveCaps);
    connect(m_clear, &QAbstractButton::clicked, this, &ZunoAppBudgetEditorBlock::clearCaps);
    connect(m_state, &ZunoBudgetEditorUIState::changed, this, &ZunoAppBudgetEditorBlock::updateFromState);
    connect(
        &m_store, &ZunoCreditsAccountStore::stateChanged, this, &ZunoAppBudgetEditorBlock::updateFromStore);

    updateTexts();
    updateFromState();
    updateFromStore();
}

QString ZunoAppBudgetEditorBlock::t(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_language);
}

void ZunoAppBudgetEditorBlock::setLanguage(ZunoLanguage language)
{
    if (language == m_language)
        return;
    // A message already shown follows the language too.
    const auto translated = [&](const std::optional<QString> &message) -> std::optional<QString> {
        if (!message)
            return message;
        for (const auto &[en, tr] : kMessages) {
            if (*message == t(QString::fromUtf8(en), QString::fromUtf8(tr)))
                return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
        }
        return message;
    };
    const std::optional<QString> error = translated(m_state->validationError());
    const std::optional<QString> notice = translated(m_state->savedNotice());
    m_language = language;
    m_state->setValidationError(error);
    m_state->setSavedNotice(notice);
    updateTexts();
    updateFromState();
}

void ZunoAppBudgetEditorBlock::toggleExpanded()
{
    if (!m_state->isExpanded()) {
        m_state->hydrate(m_store.currentAppBudget());
        m_state->setSavedNotice(std::nullopt);
    }
    m_state->setExpanded(!m_state->isExpanded());
}

void ZunoAppBudgetEditorBlock::saveCaps()
{
    using ZunoCreditsUIFormatter::parseLimitInput;
    m_state->setValidationError(std::nullopt);
    m_state->setSavedNotice(std::nullopt);
    const ZunoLimitInput daily = parseLimitInput(m_state->dailyLimitText(), m_language);
    const ZunoLimitInput monthly = parseLimitInput(m_state->monthlyLimitText(), m_language);
    if (!daily.valid || !monthly.valid) {
        m_state->setValidationError(
            t(QString::fromUtf8(kMessages[invalid].first), QString::fromUtf8(kMessages[invalid].second)));
        return;
    }
    // A block gone by then is only skipped; a panel collapsed by then still gets its notice.
    zunoThenWhileAlive(m_store.saveAppBudget(std::nullopt, daily.value, monthly.value, std::nullopt), this,
        [this](bool saved) {
            if (!saved)
                return;
            m_state->setSavedNotice(
                t(QString::fromUtf8(kMessages[updated].first), QString::fromUtf8(kMessages[updated].second)));
        });
}

void ZunoAppBudgetEditorBlock::clearCaps()
{
    zunoThenWhileAlive(m_store.deleteAppBudget(std::nullopt), this, [this](bool deleted) {
        if (!deleted)
            return;
        ZunoBudgetEditorUIState *state = m_state;
        state->setDailyLimitText(QString());
        state->setMonthlyLimitText(QString());
        state->setValidationError(std::nullopt);
        state->setSavedNotice(
            t(QString::fromUtf8(kMessages[removed].first), QString::fromUtf8(kMessages[removed].second)));
    });
}

void ZunoAppBudgetEditorBlock::updateTexts()
{
    m_header->setTitle(t(QStringLiteral("App Spending Caps"), QStringLiteral("Uygulama Harcama Limitleri")));
    m_dailyCaption->setText(t(QStringLiteral("Daily Cap (cr)"), QStringLiteral("Günlük Limit (kr)")));
    m_monthlyCaption->setText(t(QStringLiteral("Monthly Cap (cr)"), QStringLiteral("Aylık Limit (kr)")));
    const QString unlimited = t(QStringLiteral("Unlimited"), QStringLiteral("Limitsiz"));
    m_daily->setPlaceholderText(unlimited);
    m_monthly->setPlaceholderText(unlimited);
    m_save->setText(t(QStringLiteral("Save Caps"), QStringLiteral("Limitleri Kaydet")));
    m_clear->setText(t(QStringLiteral("Clear"), QStringLiteral("Kaldır")));
}

void ZunoAppBudgetEditorBlock::updateFromState()
{
    const bool expanded = m_state->isExpanded();
    m_header->setOpen(expanded);
    m_header->setTrailingText(expanded ? t(QStringLiteral("Hide"), QStringLiteral("Gizle"))
                                       : t(QStringLiteral("Edit"), QStringLiteral("Düzenle")),
        ZunoFonts::system(11, QFont::Medium), ZunoGlassTokens::textSecondary());
    m_panel->setVisible(expanded);
    // Rewriting a field the user is typing in would move the cursor.
    if (m_daily->text() != m_state->dailyLimitText())
        m_daily->setText(m_state->dailyLimitText());
    if (m_monthly->text() != m_state->monthlyLimitText())
        m_monthly->setText(m_state->monthlyLimitText());
    if (m_state->validationError()) {
        m_status->setText(*m_state->validationError());
        ZunoCreditsViewText::setColor(m_status, ZunoGlassTokens::danger());
    } else if (m_state->savedNotice()) {
        m_status->setText(*m_state->savedNotice());
        ZunoCreditsViewText::setColor(m_status, ZunoGlassTokens::success());
    } else {
        m_status->clear();
    }
    m_status->setVisible(m_state->validationError() || m_state->savedNotice());
}

void ZunoAppBudgetEditorBlock::updateFromStore()
{
    const bool saving = m_store.isSavingBudget();
    m_save->setEnabled(!saving);
    m_save->setBusy(saving);
    m_clear->setEnabled(!saving);
    const std::optional<ZunoAppBudgetStatus> budget = m_store.currentAppBudget();
    m_clear->setVisible(budget && budget->hasAnyLimit());
}
