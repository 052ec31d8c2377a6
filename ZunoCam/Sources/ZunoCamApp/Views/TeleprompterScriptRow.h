#pragma once

#include "ZunoRoundedFill.h"

#include <QUuid>

class QLabel;
class ZunoSymbolButton;

// One script in the teleprompter tab's list: title over word count, and a trash button while the
// list may lose a script. A click outside the trash button selects the script.
class TeleprompterScriptRow : public ZunoRoundedFill {
    Q_OBJECT
public:
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
