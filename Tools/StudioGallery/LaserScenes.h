#pragma once

#include <QImage>
#include <QString>

// A made-up desktop picture to draw on, as the overlay's frozen backdrop shows it.
QImage laserBackdrop(const QSize &size);

// The presentation canvas at 1512 x 982 on a picture backdrop: every tool's drawing with a trail and
// the legend, the spotlight with and without dimming, and dimming alone. Writes "laser-tools.png",
// "laser-spotlight.png", "laser-spotlight-dimmed.png" and "laser-dimmed.png"; false when one cannot be
// written.
bool writeLaserScenes(const QString &folder);
