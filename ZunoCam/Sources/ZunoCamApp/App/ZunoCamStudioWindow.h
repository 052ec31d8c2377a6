#pragma once

#include "ZunoLanguage.h"

#include <QWidget>

class QLabel;
class ZunoBrandMark;
class ZunoLanguageMenuButton;
class ZunoUnifiedHeaderBar;
class ZunoUnifiedTitlebarWindow;
class ZunoVersionBadgeButton;

// The studio window: identifier "studio", title "ZunoCam", 1220 x 770 by default, at least
// 1060 x 680, without a system title bar. Its header bar carries the brand mark, the name, the
// version badge button (release history and logs, feedback) and the language button; below it a
// placeholder until the studio views fill it. It follows the language preference: texts and the layout
// direction change with it.
class ZunoCamStudioWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 1220;
    static constexpr int kDefaultHeight = 770;
    static constexpr int kMinimumWidth = 1060;
    static constexpr int kMinimumHeight = 680;

    explicit ZunoCamStudioWindow(QWidget *parent = nullptr);

    ZunoLanguage language() const { return m_language; }
    void applyLanguage(ZunoLanguage language);

    ZunoUnifiedHeaderBar *headerBar() const { return m_header; }
    ZunoLanguageMenuButton *languageButton() const { return m_languageButton; }
    ZunoVersionBadgeButton *versionBadge() const { return m_versionBadge; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ZunoLanguage m_language;
    ZunoUnifiedTitlebarWindow *m_titlebar;
    ZunoUnifiedHeaderBar *m_header;
    ZunoBrandMark *m_brandMark;
    ZunoLanguageMenuButton *m_languageButton;
    ZunoVersionBadgeButton *m_versionBadge;
};
