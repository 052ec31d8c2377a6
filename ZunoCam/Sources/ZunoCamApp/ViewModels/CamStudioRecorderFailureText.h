#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <filesystem>

class CameraRecorderError;

// What the studio tells the user when a recording cannot start or ends in failure, in the studio's
// language: the reason in words for the usual system errors (a full disk, a size limit, a refused
// folder), never a library's raw text where that can be helped.
namespace CamStudioRecorderFailureText {

// The reason for an errno value; the system's own text for the unusual ones.
QString systemReason(int systemError, ZunoLanguage language);
// The recordings folder could not be made: names the folder and why.
QString folderNotCreated(const QString &folder, const std::error_code &error, ZunoLanguage language);
// A recording that failed: why, and whether what was recorded is kept or the unplayable file is gone.
// Other recorder errors keep their own description.
QString recordingFailed(const CameraRecorderError &error, ZunoLanguage language);

} // namespace CamStudioRecorderFailureText
