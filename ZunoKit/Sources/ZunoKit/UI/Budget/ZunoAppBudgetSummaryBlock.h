#pragma once

#include "ZunoAppBudgetStatus.h"
#include "ZunoBudgetWarning.h"
#include "ZunoLanguage.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <cstdint>
#include <optional>

class QVBoxLayout;

// How much of its daily and monthly caps the current application has spent, with the account's budget
// warnings: a header with a "Cap Reached" / "Near Cap" badge, a row with amounts and a bar per capped
// period (or a note that no cap is set), and one tinted row per warning. Read-only; the host sets the
// store's values again whenever the store changes. Main thread only.
class ZunoAppBudgetSummaryBlock : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 8;
    static constexpr int kWarningSpacing = 5;
    static constexpr std::int64_t kMaximumPercent = 999;

    ZunoAppBudgetSummaryBlock(const QString &appName, const std::optional<ZunoAppBudgetStatus> &budget,
        const QList<ZunoBudgetWarning> &warnings, ZunoLanguage language, QWidget *parent = nullptr);

    void setAppName(const QString &appName);
    void setBudget(const std::optional<ZunoAppBudgetStatus> &budget);
    void setWarnings(const QList<ZunoBudgetWarning> &warnings);
    void setLanguage(ZunoLanguage language);

    QString appName() const { return m_appName; }
    const std::optional<ZunoAppBudgetStatus> &budget() const { return m_budget; }
    const QList<ZunoBudgetWarning> &warnings() const { return m_warnings; }
    ZunoLanguage language() const { return m_language; }

    // The ratio as a whole percent, halves away from zero, at most 999; saturates at the 64-bit floor.
    static std::int64_t percent(double ratio);
    // danger from 1 up, warning from 0.8, else success.
    static QColor tone(double ratio);

private:
    void rebuild();
    QWidget *header(QWidget *parent) const;
    QWidget *spendRow(QWidget *parent, const QString &key, const QString &label, double spent,
        std::optional<double> cap, std::optional<double> ratio) const;
    QWidget *warningRow(QWidget *parent, const ZunoBudgetWarning &warning) const;
    QString t(const QString &en, const QString &tr) const;

    QString m_appName;
    std::optional<ZunoAppBudgetStatus> m_budget;
    QList<ZunoBudgetWarning> m_warnings;
    ZunoLanguage m_language;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
};
