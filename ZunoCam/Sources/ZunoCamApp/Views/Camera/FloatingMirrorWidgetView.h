#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <functional>

class ZunoActivityIndicator;
class ZunoSymbolButton;

// The camera mirror panel's content, 340 x 224: the latest processed frame filling the card (cropped,
// never stretched) or, before the first frame, a dark fill with a spinner; a badge naming the framing
// state and a close button at the top right; all inside a continuous rounded rectangle with an accent
// border. Main thread only.
class FloatingMirrorWidgetView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 224;
    static constexpr double kCornerRadius = 20;
    static constexpr QColor kPlaceholder { 36, 11, 38 };

    explicit FloatingMirrorWidgetView(QWidget *parent = nullptr);

    // Scales the frame once to fill the view (keeping its aspect ratio); a null image shows the
    // placeholder.
    void setFrame(const QImage &frame);
    bool hasFrame() const { return !m_scaledFrame.isNull(); }
    void setAutoFaceFraming(bool on);
    // "Auto Framing" or "Mirror".
    QString badgeText() const;
    QRect badgeRect() const { return m_badgeRect; }

    std::function<void()> onClose;

    ZunoSymbolButton *closeButton() const { return m_close; }
    ZunoActivityIndicator *spinner() const { return m_spinner; }

    QSize sizeHint() const override { return { kWidth, kHeight }; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutBadgeRow();

    bool m_autoFaceFraming = false;
    QImage m_sourceFrame; // shares the caller's pixels (implicitly shared, no copy)
    QImage m_scaledFrame;
    QRect m_badgeRect;
    ZunoSymbolButton *m_close;
    ZunoActivityIndicator *m_spinner;
};
