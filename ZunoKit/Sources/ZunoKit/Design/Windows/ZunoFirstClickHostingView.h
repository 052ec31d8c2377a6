#pragma once

#include <QWidget>

// Hosts a panel's content so that presses on its empty parts belong to the content: they never move a
// panel that can be moved by its background. (The first click into an inactive window reaches the
// widgets on Linux desktops anyway.)
class ZunoFirstClickHostingView : public QWidget {
public:
    explicit ZunoFirstClickHostingView(QWidget *rootView, QWidget *parent = nullptr);

    QWidget *rootView() const { return m_rootView; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QWidget *m_rootView = nullptr;
};
