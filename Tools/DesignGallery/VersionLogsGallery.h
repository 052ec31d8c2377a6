#pragma once

#include <QString>

// Renders the version badge button and its version and logs sheet over a studio-sized window, in
// English and Turkish, into `folder`: a runtime log with all four levels, a torn line and a message
// with markup, and two release records. Returns the process exit code.
int renderVersionLogsGallery(const QString &folder);
