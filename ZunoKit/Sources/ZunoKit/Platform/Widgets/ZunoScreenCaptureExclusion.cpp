#include "ZunoScreenCaptureExclusion.h"

bool ZunoScreenCaptureExclusion::isSupported()
{
    // X11: any client may read any window's pixels. Wayland: the compositor and the capturing portal
    // decide; no protocol lets a client ask to be left out.
    return false;
}

void ZunoScreenCaptureExclusion::apply(QWidget *window, bool exclude)
{
    if (!isSupported() || !window)
        return;
    (void)exclude;
}
