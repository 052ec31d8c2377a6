#pragma once

#include <QString>

// The studio's tabs on a real view model over a temporary document, in English and Turkish.
bool writeTabScenes(const QString &folder);
