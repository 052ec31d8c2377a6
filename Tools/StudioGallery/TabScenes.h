#pragma once

#include <QSize>
#include <QString>

class QWidget;

// The studio's tabs on a real view model over a temporary document, in English and Turkish.
bool writeTabScenes(const QString &folder);

// Writes `tab` (taken over) on the studio's ground at `size` to a PNG; says what it wrote or why not.
bool writeStudioTab(const QString &path, QWidget *tab, QSize size);
