#pragma once

#include <QString>

// The overlay panels' scenes: the teleprompter content (countdown 3, playing with the voice gate open
// and closed, mirrored text, opacity 0, no script) and the camera mirror (a frame, the placeholder,
// both badges), each over a light and a dark strip so that the translucency shows. Writes
// "teleprompter-panel.png" and "camera-mirror-panel.png" into the folder; false when one cannot be
// written.
bool writeOverlayScenes(const QString &folder);
