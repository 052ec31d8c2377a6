#include "ZunoBudgetEditorUIState.h"

#include "ZunoCreditsUIFormatter.h"

ZunoBudgetEditorUIState::ZunoBudgetEditorUIState(QObject *parent)
    : QObject(parent)
{
}

template <typename T> void ZunoBudgetEditorUIState::assign(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    emit changed();
}

void ZunoBudgetEditorUIState::setExpanded(bool expanded)
{
    assign(m_isExpanded, expanded);
}

void ZunoBudgetEditorUIState::setDailyLimitText(const QString &text)
{
    assign(m_dailyLimitText, text);
}

void ZunoBudgetEditorUIState::setMonthlyLimitText(const QString &text)
{
    assign(m_monthlyLimitText, text);
}

void ZunoBudgetEditorUIState::setValidationError(const std::optional<QString> &error)
{
    assign(m_validationError, error);
}

void ZunoBudgetEditorUIState::setSavedNotice(const std::optional<QString> &notice)
{
    assign(m_savedNotice, notice);
}

void ZunoBudgetEditorUIState::hydrate(const std::optional<ZunoAppBudgetStatus> &budget)
{
    using ZunoCreditsUIFormatter::editableNumberText;
    setDailyLimitText(editableNumberText(budget ? budget->dailyLimitCredits : std::nullopt));
    setMonthlyLimitText(editableNumberText(budget ? budget->monthlyLimitCredits : std::nullopt));
    setValidationError(std::nullopt);
}
