#pragma once

#include "ZunoAppBudgetStatus.h"

#include <QObject>
#include <QString>

#include <optional>

// What the cap editor keeps of its own: whether the panel is open, the two fields' texts and its two
// messages. `changed` follows every change. Main thread only.
class ZunoBudgetEditorUIState : public QObject {
    Q_OBJECT
public:
    explicit ZunoBudgetEditorUIState(QObject *parent = nullptr);

    bool isExpanded() const { return m_isExpanded; }
    QString dailyLimitText() const { return m_dailyLimitText; }
    QString monthlyLimitText() const { return m_monthlyLimitText; }
    const std::optional<QString> &validationError() const { return m_validationError; }
    const std::optional<QString> &savedNotice() const { return m_savedNotice; }

    void setExpanded(bool expanded);
    void setDailyLimitText(const QString &text);
    void setMonthlyLimitText(const QString &text);
    void setValidationError(const std::optional<QString> &error);
    void setSavedNotice(const std::optional<QString> &notice);

    // Fills both fields from the budget's caps (empty for none) and clears the validation error; the
    // notice stays.
    void hydrate(const std::optional<ZunoAppBudgetStatus> &budget);

signals:
    void changed();

private:
    template <typename T> void assign(T &field, const T &value);

    bool m_isExpanded = false;
    QString m_dailyLimitText;
    QString m_monthlyLimitText;
    std::optional<QString> m_validationError;
    std::optional<QString> m_savedNotice;
};
