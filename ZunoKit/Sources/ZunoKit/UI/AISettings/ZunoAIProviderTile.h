#pragma once

#include "ZunoAIProvider.h"

#include <QAbstractButton>
#include <QColor>

class QLabel;
class ZunoSymbolIcon;

// One provider tile of the AI settings card: symbol, title and subtitle on a rounded rectangle
// (radius 10, padding 10) that takes the third surface and an accent border while selected, with a
// checkmark in the corner.
class ZunoAIProviderTile : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 10;
    static constexpr int kPadding = 10;

    ZunoAIProviderTile(
        ZunoAIProvider provider, const QString &symbol, const QColor &accent, QWidget *parent = nullptr);

    ZunoAIProvider provider() const { return m_provider; }
    void setTexts(const QString &title, const QString &subtitle);
    QString title() const;
    QString subtitle() const;
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    ZunoAIProvider m_provider;
    QColor m_accent;
    bool m_selected = false;
    ZunoSymbolIcon *m_icon;
    ZunoSymbolIcon *m_check;
    QLabel *m_title;
    QLabel *m_subtitle;
};
