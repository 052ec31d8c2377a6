#pragma once

#include <QString>
#include <QStringList>

// Whether the application may use a capture device. Linux asks nobody, so `notDetermined` is
// never probed here; it is kept so that callers handle all four states the suite shares.
enum class ZunoMediaAuthorizationStatus { notDetermined, restricted, denied, authorized };

// The camera probe's findings: the status, and for a denial the device nodes refused and the
// group that owns them (usually "video"), for the hint shown to the user.
struct ZunoCameraAccess {
    ZunoMediaAuthorizationStatus status = ZunoMediaAuthorizationStatus::authorized;
    QStringList deniedDevices;
    QString deviceGroup;
};
