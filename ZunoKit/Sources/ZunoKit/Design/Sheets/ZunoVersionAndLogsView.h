#pragma once

#include "ZunoAppVersion.h"
#include "ZunoLanguage.h"
#include "ZunoLogEntry.h"
#include "ZunoLogLevel.h"
#include "ZunoProductPalette.h"
#include "ZunoReleaseLogRecord.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class ZunoAppLogger;
class ZunoBrandMark;
class ZunoButton;
class ZunoFeedbackButton;
class ZunoSegmentedControl;

// One application's version and logs screen: a version card (version, build, log file name and the
// feedback button), the release history from the main bundle's release log (or the fallback records
// when it has none for the application) and the newest runtime-log entries with a level filter and
// refresh, copy, folder and clear actions. With `onClose` it is a stand-alone sheet: the palette's
// ground behind it and a header with the application's mark and a close button; the close button
// and Escape call `onClose`. Nothing is read until the view is first shown; then the release history
// is read once and the entries again on refresh, filter change and clear. Every text from the log,
// the release log or a file name is shown as plain text. Main thread only.
class ZunoVersionAndLogsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kListedEntries = 120;
    static constexpr int kCopiedEntries = 250;

    ZunoVersionAndLogsView(const QString &appName, const ZunoAppVersion &version,
        std::shared_ptr<ZunoAppLogger> logger, ZunoProductPalette palette, ZunoLanguage language,
        QList<ZunoReleaseLogRecord> fallbackReleases = {}, std::function<void()> onClose = {},
        QWidget *parent = nullptr);
    ~ZunoVersionAndLogsView() override;

    QString appName() const { return m_appName; }
    ZunoAppVersion version() const { return m_version; }
    const std::shared_ptr<ZunoAppLogger> &logger() const { return m_logger; }
    ZunoProductPalette productPalette() const { return m_palette; }
    ZunoLanguage language() const { return m_language; }
    bool isSheet() const { return static_cast<bool>(m_onClose); }

    // The view's own state.
    ZunoLogLevel selectedMinLevel() const { return m_selectedMinLevel; }
    const QList<ZunoLogEntry> &entries() const { return m_entries; }
    const QList<ZunoReleaseLogRecord> &releases() const { return m_releases; }
    bool copiedToast() const { return m_copiedToast; }
    bool clearFailed() const { return m_clearFailed; }

    // What the filter does: stores the level, then reloads the entries.
    void setSelectedMinLevel(ZunoLogLevel level);
    // Release history and entries (done when the view is shown).
    void reloadAll();
    void reloadEntries();
    // The toolbar's actions.
    void refresh();
    void copyLog();
    void revealLog();
    void clearLog();

    // Parts, for hosts and tests. The header parts are null without `onClose`.
    ZunoBrandMark *brandMark() const { return m_brandMark; }
    QAbstractButton *closeButton() const { return m_closeButton; }
    ZunoSegmentedControl *levelFilter() const { return m_levelFilter; }
    ZunoButton *refreshButton() const { return m_refreshButton; }
    ZunoButton *copyButton() const { return m_copyButton; }
    ZunoButton *folderButton() const { return m_folderButton; }
    ZunoButton *clearButton() const { return m_clearButton; }
    ZunoFeedbackButton *feedbackButton() const { return m_feedbackButton; }
    QLabel *clearFailureLabel() const { return m_clearFailureLabel; }
    // Holds one row per shown entry, newest first.
    QWidget *logList() const { return m_logList; }
    // Holds one row per release record, or the empty-history text.
    QWidget *releaseList() const { return m_releaseList; }

    // The time column: an ISO 8601 date and time shown as local HH:mm:ss; anything else cut after
    // the first "T" (at most eight characters), or its first eight characters without a "T".
    static QString timeColumnText(const QString &timestamp);
    static QString filterTitle(ZunoLogLevel level, ZunoLanguage language);

    // As wide as its content needs without cutting a text short, as tall as all of it.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildVersionCard();
    QWidget *buildReleaseCard();
    QWidget *buildLogCard();
    QWidget *logRow(const ZunoLogEntry &entry) const;
    QWidget *releaseRow(const ZunoReleaseLogRecord &record) const;
    void showReleases();
    void showEntries();
    void updateCopyTitle();
    QString text(const char *en, const char *tr) const;

    const QString m_appName;
    const ZunoAppVersion m_version;
    const std::shared_ptr<ZunoAppLogger> m_logger;
    const ZunoProductPalette m_palette;
    const ZunoLanguage m_language;
    const QList<ZunoReleaseLogRecord> m_fallbackReleases;
    const std::function<void()> m_onClose;

    ZunoLogLevel m_selectedMinLevel = ZunoLogLevel::debug;
    QList<ZunoLogEntry> m_entries;
    QList<ZunoReleaseLogRecord> m_releases;
    bool m_copiedToast = false;
    bool m_clearFailed = false;

    ZunoBrandMark *m_brandMark = nullptr;
    QAbstractButton *m_closeButton = nullptr;
    ZunoSegmentedControl *m_levelFilter = nullptr;
    ZunoButton *m_refreshButton = nullptr;
    ZunoButton *m_copyButton = nullptr;
    ZunoButton *m_folderButton = nullptr;
    ZunoButton *m_clearButton = nullptr;
    ZunoFeedbackButton *m_feedbackButton = nullptr;
    QLabel *m_clearFailureLabel = nullptr;
    QLabel *m_logEmptyLabel = nullptr;
    QWidget *m_logList = nullptr;
    QVBoxLayout *m_logLayout = nullptr;
    QWidget *m_column = nullptr;
    QWidget *m_releaseList = nullptr;
    QVBoxLayout *m_releaseLayout = nullptr;
};
