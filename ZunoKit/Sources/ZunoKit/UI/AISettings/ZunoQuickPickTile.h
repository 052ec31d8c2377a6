#pragma once

#include <QAbstractButton>
#include <QColor>

// One tile of the AI settings card's quick picks: title and badge, a hint of at most two lines and the
// picked model's name, on a rounded rectangle (radius 11, padding 11, at least 84 high) that turns to
// the accent when the tile's model is the current one.
class ZunoQuickPickTile : public QAbstractButton {
    Q_OBJECT
public:
    struct Content {
        QString title;
        QString badge;
        QColor badgeTint;
        QString hint;
        QString modelName;
        // The badge text while selected ("Selected").
        QString selectedBadge;
    };

    ZunoQuickPickTile(const QColor &accent, QWidget *parent = nullptr);

    void setContent(const Content &content, bool selected);
    const Content &content() const { return m_content; }
    bool isSelected() const { return m_selected; }
    // What the badge reads now.
    QString badgeText() const { return m_selected ? m_content.selectedBadge : m_content.badge; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_accent;
    Content m_content;
    bool m_selected = false;
};
