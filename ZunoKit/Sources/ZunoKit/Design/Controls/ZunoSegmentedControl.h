#pragma once

#include <QStringList>
#include <QWidget>

// A row of exclusive segments: one is always selected. The track is the second glass surface with a
// 1-pixel subtle border; the selected segment is the third surface with primary text, the others
// secondary text. A click or the arrow keys (mirrored right to left) choose a segment. Segments share
// the width equally.
class ZunoSegmentedControl : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 7;
    static constexpr qreal kInset = 2;
    static constexpr qreal kHorizontalPadding = 10;
    static constexpr qreal kVerticalPadding = 4;

    explicit ZunoSegmentedControl(const QStringList &segments = {}, QWidget *parent = nullptr);

    QStringList segments() const { return m_segments; }
    // Keeps the selection when it still exists, else selects the first segment.
    void setSegments(const QStringList &segments);
    // -1 only while there are no segments.
    int currentIndex() const { return m_current; }
    // An index out of range is ignored.
    void setCurrentIndex(int index);

    // The segment's area in the widget's coordinates (its visual place, right to left included).
    QRectF segmentRect(int index) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Every change of the selection.
    void currentIndexChanged(int index);
    // A change made by the user (click or key).
    void activated(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void choose(int index);

    QStringList m_segments;
    int m_current = -1;
};
