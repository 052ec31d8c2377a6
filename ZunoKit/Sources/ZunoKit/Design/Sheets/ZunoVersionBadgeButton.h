#pragma once

#include "ZunoAppVersion.h"
#include "ZunoLanguage.h"
#include "ZunoProductPalette.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QAbstractButton;
class ZunoAppLogger;
class ZunoFeedbackButton;
class ZunoSheetHost;
class ZunoVersionAndLogsView;

// The version capsule of an application's header: its `ZunoVersionBadge` as a button (no keyboard
// focus, reached by assistive technologies as a button) that presents the version and logs sheet,
// optionally followed 5 pixels later by the compact feedback button. Each presentation builds a
// fresh `ZunoVersionAndLogsView` of at least 720 x 560 over the window; its close button and Escape
// dismiss it. Without a logger the application's shared one is used. Main thread only.
class ZunoVersionBadgeButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 5;
    static constexpr int kSheetMinimumWidth = 720;
    static constexpr int kSheetMinimumHeight = 560;

    ZunoVersionBadgeButton(const QString &appName, const ZunoAppVersion &version,
        std::shared_ptr<ZunoAppLogger> logger, ZunoProductPalette palette, ZunoLanguage language,
        bool showBuild, bool showFeedbackButton, QWidget *parent = nullptr);
    ~ZunoVersionBadgeButton() override;

    QString appName() const { return m_appName; }
    ZunoAppVersion version() const { return m_version; }
    const std::shared_ptr<ZunoAppLogger> &logger() const { return m_logger; }
    ZunoProductPalette productPalette() const { return m_palette; }
    ZunoLanguage language() const { return m_language; }
    bool showBuild() const { return m_showBuild; }
    bool showFeedbackButton() const { return m_feedbackButton != nullptr; }
    // The tooltip and the feedback button follow; an open sheet keeps its language.
    void setLanguage(ZunoLanguage language);

    // The capsule (a button with the version badge as its face).
    QAbstractButton *badgeButton() const { return m_badgeButton; }
    // Null without `showFeedbackButton`.
    ZunoFeedbackButton *feedbackButton() const { return m_feedbackButton; }

    bool isSheetPresented() const;
    // The presented sheet's view, or null.
    ZunoVersionAndLogsView *sheetView() const;
    ZunoSheetHost *sheetHost() const;
    // What a click on the capsule does; nothing while the sheet is up.
    void presentSheet();
    void dismissSheet();

    static QString tooltipText(const ZunoAppVersion &version, ZunoLanguage language);

signals:
    void sheetPresentedChanged(bool presented);

private:
    void applyTexts();

    const QString m_appName;
    const ZunoAppVersion m_version;
    const std::shared_ptr<ZunoAppLogger> m_logger;
    const ZunoProductPalette m_palette;
    ZunoLanguage m_language;
    const bool m_showBuild;
    QAbstractButton *m_badgeButton;
    ZunoFeedbackButton *m_feedbackButton = nullptr;
    QPointer<ZunoSheetHost> m_sheet;
};
