#pragma once

// Whether this user may use a camera, numbered as the capture service logs it.
enum class CameraAuthorizationStatus { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };
