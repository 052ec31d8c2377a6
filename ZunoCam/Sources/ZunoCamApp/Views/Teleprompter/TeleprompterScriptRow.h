#pragma once

#include "ZunoRoundedFill.h"

#include <QUuid>

class QLabel;
class ZunoSymbolButton;

// One script in the teleprompter tab's list: title over word count, and a trash button while the
// list may lose a script. A click outside the trash button selects the script, and so do Space, Return
// and Enter while the row has the keyboard's focus.
class TeleprompterScriptRow : public ZunoRoundedFill {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 10;

    TeleprompterScriptRow(const QUuid &id, const QColor &accent, QWidget *parent = nullptr);

    QUuid id() const { return m_id; }
    void setTexts(const QString &title, const QString &wordCount);
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    void setDeletable(bool deletable);
    QString titleText() const;
    QString wordCountText() const;
    ZunoSymbolButton *trashButton() const { return m_trash; }

signals:
    void clicked();
    void deleteRequested();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void elideTitle();

    QUuid m_id;
    QColor m_accent;
    bool m_selected = false;
    QString m_title;
    QLabel *m_titleLabel;
    QLabel *m_wordCount;
    ZunoSymbolButton *m_trash;
};
