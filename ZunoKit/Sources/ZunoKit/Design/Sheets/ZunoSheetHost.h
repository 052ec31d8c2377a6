#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;

// A sheet: a content widget shown as a modal overlay inside the top-level window of a given widget.
// A dimmed backdrop over the whole window takes every click; the content sits centred on a card
// clipped to a continuous radius-12 rectangle with a subtle edge and a soft shadow, at least the
// minimum size (as far as the window allows) and at most the window less 24 pixels on each side; the
// card follows the content's size hint whenever it changes (call updateGeometry() on the content). It
// fades in and out in 0.2 s. Focus moves into the sheet, Tab and Backtab stay inside it, and focus
// returns to where it was when the sheet is dismissed. An Escape that the content does not take
// dismisses the sheet. A second sheet may be stacked over the first. Main thread only.
class ZunoSheetHost : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 12;
    static constexpr int kWindowMargin = 24;
    static constexpr int kFadeDurationMs = 200;
    static constexpr qreal kBackdropOpacity = 0.45;

    // Presents `content` (the host takes ownership) over the window of `anchor`.
    static ZunoSheetHost *present(QWidget *anchor, QWidget *content, QSize minimumSize);
    // The sheets presented over a window and not being dismissed, bottom first.
    static QList<ZunoSheetHost *> sheets(const QWidget *window);

    QWidget *content() const { return m_content; }
    QSize minimumSheetSize() const { return m_minimumSize; }
    // The card, in the host's (the window's) coordinates.
    QRect cardGeometry() const;
    bool isDismissing() const { return m_dismissing; }

    bool dismissesOnEscape() const { return m_dismissesOnEscape; }
    void setDismissesOnEscape(bool dismisses) { m_dismissesOnEscape = dismisses; }

    // Gives focus back, fades out and deletes the host with its content. `dismissed` is emitted at
    // once; calling it again does nothing.
    void dismiss();

signals:
    void dismissed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    ZunoSheetHost(QWidget *window, QWidget *content, QSize minimumSize);
    QList<QWidget *> focusableDescendants() const;
    void layoutCard();
    void fade(qreal to);

    QWidget *m_content;
    QWidget *m_card;
    QWidget *m_edge;
    QSize m_minimumSize;
    QPointer<QWidget> m_previousFocus;
    QGraphicsOpacityEffect *m_opacity = nullptr;
    QVariantAnimation *m_fade;
    bool m_dismissing = false;
    bool m_dismissesOnEscape = true;
};
