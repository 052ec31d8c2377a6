#pragma once

#include <QWidget>

#include <functional>

class CamStudioViewModel;
class MainCamStudioView;
class ZunoUnifiedTitlebarWindow;

// The studio window: identifier "studio", title "ZunoCam — by Quarnwell", 1220 x 770 by default, at
// least 1060 x 680, without a system title bar. `MainCamStudioView` is its only content. Closing it
// runs the close handler the application gives it (hide with a tray, quit without one).
class ZunoCamStudioWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 1220;
    static constexpr int kDefaultHeight = 770;
    static constexpr int kMinimumWidth = 1060;
    static constexpr int kMinimumHeight = 680;

    ZunoCamStudioWindow(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    MainCamStudioView *studioView() const { return m_view; }

    // What a close request does instead of closing; none closes as usual.
    void setCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    ZunoUnifiedTitlebarWindow *m_titlebar;
    MainCamStudioView *m_view;
    std::function<void()> m_closeHandler;
};
