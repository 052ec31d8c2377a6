#include "ZunoPlainLabel.h"

#include <QLabel>

QLabel *zunoPlainLabel(const QString &text, const QFont &font, const QColor &color, bool wraps)
{
    auto *label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setWordWrap(wraps);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
    return label;
}
