#pragma once

#include "ZunoCanonicalText.h"

#include <QString>

// One available camera, as the capture service's discovery found it. Not stored: the studio keeps
// only the chosen id.
struct CameraDeviceDescriptor {
    QString id; // the device's unique identifier, also its identity
    QString name; // the device's display name

    friend bool operator==(const CameraDeviceDescriptor &a, const CameraDeviceDescriptor &b)
    {
        return zunoCanonicallyEqual(a.id, b.id) && zunoCanonicallyEqual(a.name, b.name);
    }
};
