#pragma once

#include <QWidget>

// The studio window: identifier "studio", title "ZunoCam", 1220 x 770 by default, at least
// 1060 x 680. It holds a placeholder until the studio views fill it.
class ZunoCamStudioWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 1220;
    static constexpr int kDefaultHeight = 770;
    static constexpr int kMinimumWidth = 1060;
    static constexpr int kMinimumHeight = 680;

    explicit ZunoCamStudioWindow(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
