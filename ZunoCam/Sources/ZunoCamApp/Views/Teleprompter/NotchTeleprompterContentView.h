#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class ZunoSymbolButton;

// What the teleprompter panel shows, already bounded (see NotchTeleprompterMetrics). The scroll
// offset is apart: it changes 60 times a second.
struct NotchTeleprompterContentState {
    QString title = QStringLiteral("ZunoCam");
    QString body;
    double wordsPerMinute = 135;
    double fontSize = 24;
    double panelOpacity = 0.88;
    bool mirrorTextHorizontally = false;
    bool showsPrivateBadge = false;
    bool isScrolling = false;
    bool isVoiceGateOpen = false;
    qint64 countdownRemaining = 0;

    friend bool operator==(const NotchTeleprompterContentState &, const NotchTeleprompterContentState &)
        = default;
};

// The teleprompter panel's content: a dark rounded card with a header (status dot, title, badge,
// pace and the five buttons) over the script area, where the body scrolls under a reading band.
// The body is laid out once per change of text, size, width or mirroring; a scroll offset change
// only repaints the script area, drawing the lines in sight. Main thread only.
class NotchTeleprompterContentView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kCornerRadius = 20;
    static constexpr QColor kFill { 22, 8, 24 };

    explicit NotchTeleprompterContentView(QWidget *parent = nullptr);
    ~NotchTeleprompterContentView() override;

    void setState(const NotchTeleprompterContentState &state);
    const NotchTeleprompterContentState &state() const { return m_state; }
    void setScrollOffset(double offset);
    double scrollOffset() const { return m_scrollOffset; }

    // The button actions.
    std::function<void()> onSlower;
    std::function<void()> onFaster;
    std::function<void()> onRewind;
    std::function<void()> onPlayPause;
    std::function<void()> onClose;

    // Where the parts are, in the view's coordinates (for tests and the panel's drag handling).
    QRect scriptArea() const;
    QRect readingBand() const;
    QRect statusDot() const;
    QRect badgeRect() const { return m_badgeRect; }
    ZunoSymbolButton *slowerButton() const { return m_slower; }
    ZunoSymbolButton *fasterButton() const { return m_faster; }
    ZunoSymbolButton *rewindButton() const { return m_rewind; }
    ZunoSymbolButton *playPauseButton() const { return m_playPause; }
    ZunoSymbolButton *closeButton() const { return m_close; }
    // The pace as shown, "135 WPM".
    static QString paceText(double wordsPerMinute);

    // Paints one frame into a painter (the benchmark's entry; paintEvent uses it too).
    void paintContent(QPainter &painter, const QRect &exposed);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Line {
        int layout;
        int line;
        double y; // top, from the text's top
    };

    void layoutHeader();
    void layoutBody();
    void paintHeader(QPainter &painter);
    void paintScript(QPainter &painter);
    QColor dotColor() const;
    int headerHeight() const;

    NotchTeleprompterContentState m_state;
    double m_scrollOffset = 0;
    ZunoSymbolButton *m_slower;
    ZunoSymbolButton *m_faster;
    ZunoSymbolButton *m_rewind;
    ZunoSymbolButton *m_playPause;
    ZunoSymbolButton *m_close;
    QRect m_titleRect;
    QRect m_badgeRect;
    QRect m_paceRect;
    int m_rowHeight = 0;

    // The laid-out body and what it was laid out for.
    std::vector<std::unique_ptr<QTextLayout>> m_layouts;
    std::vector<Line> m_lines;
    QString m_laidOutBody;
    double m_laidOutFontSize = -1;
    int m_laidOutWidth = -1;
};
