#pragma once

#include <QWidget>

// An invisible, zero-sized child of a window's content that holds keyboard focus when the window
// opens, so that no button or other control looks focused. It takes no clicks and Tab never reaches
// it; Tab pressed while it has focus hands focus to the content, from where Tab walks the controls.
class ZunoInitialFocusSink : public QWidget {
    Q_OBJECT
public:
    explicit ZunoInitialFocusSink(QWidget *content);

    // The content's sink, created on first use (at most one per content).
    static ZunoInitialFocusSink *install(QWidget *content);

protected:
    bool event(QEvent *event) override;
};
