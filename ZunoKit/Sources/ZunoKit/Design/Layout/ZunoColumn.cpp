#include "ZunoColumn.h"

#include <QVBoxLayout>

QVBoxLayout *zunoColumn(QWidget *owner, int spacing, int margin)
{
    auto *layout = new QVBoxLayout(owner);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    return layout;
}
