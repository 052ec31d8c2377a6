#pragma once

#include "ZunoKillLiveStatus.h"
#include "ZunoLanguage.h"
#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandKind.h"
#include "ZunoSuiteCommandResult.h"
#include "ZunoVirtualMemorySummary.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QHBoxLayout;
class QScrollArea;
class ZunoSuiteActionChip;

// One row of one-tap commands for the memory, process-control and sensor siblings (ZunoRAM, ZunoKill,
// ZunoPulse): a group per sibling that is not the host and has a tool or, failing that, an installed
// entry. Background commands run through the shared command bus and report their outcome; window and
// overlay commands are handed on with `send`. Every outcome reaches `onFeedback` as one line. With no
// group the strip is empty: no label, no fill, no height. Availability is looked up at each re-sync
// (each setter) and when shown. Main thread.
class ZunoSuiteQuickActionsStrip : public QWidget {
    Q_OBJECT
public:
    using Feedback = std::function<void(const QString &line)>;

    ZunoSuiteQuickActionsStrip(ZunoSuiteApp currentApp, std::optional<ZunoVirtualMemorySummary> vmSummary,
        std::optional<ZunoKillLiveStatus> killStatus, ZunoLanguage language, bool compact,
        Feedback onFeedback, QWidget *parent = nullptr);

    void setCurrentApp(ZunoSuiteApp currentApp);
    void setVMSummary(std::optional<ZunoVirtualMemorySummary> vmSummary);
    void setKillStatus(std::optional<ZunoKillLiveStatus> killStatus);
    void setLanguage(ZunoLanguage language);
    void setCompact(bool compact);
    void setOnFeedback(Feedback onFeedback);

    // The chips shown, in display order.
    QList<ZunoSuiteActionChip *> chips() const { return m_chips; }
    // The "Suite Actions" label of the full look; hidden in the compact look and when empty.
    QWidget *label() const;
    bool isEmpty() const { return m_chips.isEmpty(); }

    // The line a background command reports: its summary, else the confirmation (success) or
    // "<App> CLI is unavailable" (failure).
    static QString backgroundLine(const ZunoSuiteCommandResult &result, ZunoSuiteApp sibling,
        const QString &confirmation, ZunoLanguage language);

    // The row's own size; nothing when empty.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Label;

    void resync();
    void runInBackground(ZunoSuiteCommandKind kind, ZunoSuiteApp sibling, const QString &confirmation);
    void dispatch(ZunoSuiteCommandKind kind, ZunoSuiteApp sibling, const QString &success);

    ZunoSuiteApp m_currentApp;
    std::optional<ZunoVirtualMemorySummary> m_vmSummary;
    std::optional<ZunoKillLiveStatus> m_killStatus;
    ZunoLanguage m_language;
    bool m_compact;
    Feedback m_onFeedback;

    QScrollArea *m_scroll;
    QWidget *m_row;
    QHBoxLayout *m_rowLayout;
    Label *m_label;
    QList<ZunoSuiteActionChip *> m_chips;
};
