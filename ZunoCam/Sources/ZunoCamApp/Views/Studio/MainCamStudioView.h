#pragma once

#include "CamStudioTab.h"
#include "ZunoLanguage.h"

#include <QColor>
#include <QList>
#include <QWidget>

class CamStudioToastLayer;
class CamStudioViewModel;
class QLabel;
class ZunoButton;
class QHBoxLayout;
class ZunoGroundBackground;
class ZunoUnifiedHeaderBar;
class ZunoVersionBadgeButton;

// The studio window's content: the ground, the header (identity, version badge, the four tabs, the
// prompter button), a hairline, the selected tab's view, and the toast over everything. It keeps no
// state: it re-syncs on the view model's change signals, only what changed.
class MainCamStudioView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeaderSpacing = 16;
    static constexpr int kTabSpacing = 6;

    MainCamStudioView(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    // "Launch Prompter (Super+Alt+T)" or "Close Prompter", in the view model's language.
    static QString launchTitle(bool isTeleprompterVisible, ZunoLanguage language);
    // The launch button's title where the header is too narrow for the full one: without the shortcut.
    static QString compactLaunchTitle(bool isTeleprompterVisible, ZunoLanguage language);
    static QString tabTitle(CamStudioTab tab, ZunoLanguage language);
    static QString tabSymbol(CamStudioTab tab);
    static QString tagline(ZunoLanguage language);

    QColor accent() const { return m_accent; }
    ZunoUnifiedHeaderBar *headerBar() const { return m_header; }
    QLabel *taglineLabel() const { return m_tagline; }
    // In CamStudioTab order.
    const QList<ZunoButton *> &tabButtons() const { return m_tabButtons; }
    ZunoButton *launchButton() const { return m_launchButton; }
    ZunoVersionBadgeButton *versionBadge() const { return m_versionBadge; }
    // The selected tab's view; replaced when the tab changes.
    QWidget *tabView() const { return m_tabView; }
    CamStudioToastLayer *toastLayer() const { return m_toastLayer; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *buildHeader();
    void syncTab();
    void syncTabButtons();
    void syncPrompter();
    void syncLanguage();
    void syncToast();
    // Fits the header to its width without cutting a tab title: the tagline shows only when it fits
    // whole, and the launch button drops its shortcut when the full title leaves no room.
    void fitHeader();
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The view of a tab; an empty page until the tab's own view exists.
    QWidget *makeTabView(CamStudioTab tab);

    CamStudioViewModel &m_viewModel;
    QColor m_accent;
    ZunoGroundBackground *m_ground = nullptr;
    ZunoUnifiedHeaderBar *m_header = nullptr;
    QLabel *m_tagline = nullptr;
    QHBoxLayout *m_nameRow = nullptr;
    bool m_fittingHeader = false;
    ZunoVersionBadgeButton *m_versionBadge = nullptr;
    QList<ZunoButton *> m_tabButtons;
    ZunoButton *m_launchButton = nullptr;
    QWidget *m_tabView = nullptr;
    CamStudioTab m_shownTab;
    CamStudioToastLayer *m_toastLayer = nullptr;
};
