#pragma once

#include "ZunoGlassCard.h"
#include "ZunoLanguage.h"
#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandResult.h"
#include "ZunoVirtualMemorySummary.h"

#include <QColor>

#include <functional>

class QHBoxLayout;
class ZunoButton;
class ZunoCapsuleLabel;
class ZunoGaugeBar;
class ZunoStatTile;

// The memory card of a suite application: status badges and the RAM application's actions (Smart
// Offload, Thaw, Disk Lab), a physical and a virtual gauge, and four tiles (swap, disk pools, virtual
// disks, RAM disks and frozen applications). Shows the summary it is given; only the action group's
// availability (the RAM application's tool or desktop entry) is looked up, at each re-sync and when
// shown. Command results reach `onFeedback` as one line. Main thread.
class ZunoVirtualMemoryGaugeCard : public ZunoGlassCard {
    Q_OBJECT
public:
    using Feedback = std::function<void(const QString &line)>;

    ZunoVirtualMemoryGaugeCard(ZunoVirtualMemorySummary summary, ZunoLanguage language, QColor accentColor,
        ZunoSuiteApp sourceApp, Feedback onFeedback, QWidget *parent = nullptr);

    void setSummary(ZunoVirtualMemorySummary summary);
    void setLanguage(ZunoLanguage language);
    void setAccentColor(QColor accentColor);
    void setSourceApp(ZunoSuiteApp sourceApp);
    void setOnFeedback(Feedback onFeedback);

    // Critical pressure, then an active expansion, then swap in use, else success (no warning branch).
    static QColor statusColor(const ZunoVirtualMemorySummary &summary);

    // The line a finished command reports: a success's summary, or `fallback` when it has none; a
    // failure's summary as it is, even when empty.
    static QString feedbackLine(const ZunoSuiteCommandResult &result, const QString &fallback);

    // The parts, for tests and the gallery.
    ZunoCapsuleLabel *stateBadge() const { return m_stateBadge; }
    ZunoCapsuleLabel *liveBadge() const { return m_liveBadge; }
    ZunoCapsuleLabel *effectiveBadge() const { return m_effectiveBadge; }
    QWidget *actionGroup() const { return m_actions; }
    ZunoButton *offloadButton() const { return m_offload; }
    ZunoButton *thawButton() const { return m_thaw; }
    ZunoButton *diskLabButton() const { return m_diskLab; }
    ZunoGaugeBar *physicalGauge() const { return m_physical; }
    ZunoGaugeBar *virtualGauge() const { return m_virtual; }
    // Swap, disk pools, virtual disks, RAM disks and frozen.
    ZunoStatTile *tile(int index) const { return m_tiles[index]; }
    // Whether the header shows its wide variant (badges and actions on one line).
    bool isHeaderWide() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    class Header;
    class TitleBadge;

    void resync();
    void runCommand(bool thaw);
    void openDiskLab();

    ZunoVirtualMemorySummary m_summary;
    ZunoLanguage m_language;
    QColor m_accentColor;
    ZunoSuiteApp m_sourceApp;
    Feedback m_onFeedback;

    Header *m_header;
    TitleBadge *m_title;
    ZunoCapsuleLabel *m_stateBadge;
    ZunoCapsuleLabel *m_liveBadge;
    ZunoCapsuleLabel *m_effectiveBadge;
    QWidget *m_actions;
    ZunoButton *m_offload;
    ZunoButton *m_thaw;
    ZunoButton *m_diskLab;
    ZunoGaugeBar *m_physical;
    ZunoGaugeBar *m_virtual;
    ZunoStatTile *m_tiles[4];
};
