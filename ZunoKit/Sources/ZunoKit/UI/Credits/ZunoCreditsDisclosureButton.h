#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

class QLabel;
class ZunoSymbolIcon;

// A flat disclosure row of the credits views: a chevron (right when closed, down when open), a title, a
// flexible space and an optional trailing word. It draws nothing of its own, and a click anywhere across
// its width counts. It draws nothing of its own but the focus ring.
class ZunoCreditsDisclosureButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kFocusRadius = 6;

    ZunoCreditsDisclosureButton(const QFont &chevronFont, const QColor &chevronColor, const QFont &titleFont,
        const QColor &titleColor, int spacing, QWidget *parent = nullptr);

    void setOpen(bool open);
    void setTitle(const QString &title);
    QString title() const;
    // Shown at the trailing edge; empty hides it.
    void setTrailingText(const QString &text, const QFont &font, const QColor &color);
    QString trailingText() const;
    ZunoSymbolIcon *chevron() const { return m_chevron; }

protected:
    // Only the focus ring: the chevron and the labels draw the rest.
    void paintEvent(QPaintEvent *) override;

private:
    ZunoSymbolIcon *m_chevron;
    QLabel *m_title;
    QLabel *m_trailing;
};
