#pragma once

#include <QWidget>

class QVBoxLayout;

// The translucent card every screen is built from: its content inset by the padding on all four
// edges, on a continuous rounded rectangle filled with the first glass surface and edged inside by
// the subtle border. No shadow. The padding becomes layout margins, so it is rounded to whole pixels.
class ZunoGlassCard : public QWidget {
    Q_OBJECT
public:
    ZunoGlassCard(qreal padding, qreal cornerRadius, QWidget *parent = nullptr);
    ZunoGlassCard(qreal padding, qreal cornerRadius, QWidget *content, QWidget *parent);

    qreal padding() const { return m_padding; }
    qreal cornerRadius() const { return m_cornerRadius; }

    // Replaces the content (the card takes ownership); nullptr empties the card.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_padding;
    qreal m_cornerRadius;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
};
