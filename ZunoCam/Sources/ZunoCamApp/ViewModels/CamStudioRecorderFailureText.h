#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <filesystem>

class CameraRecorderError;
struct CameraRecordingResult;

// What the studio tells the user when a recording cannot start, ends in failure or ends early, in the
// studio's language: the reason in words for the usual system errors (a full disk, a size limit, a refused
// folder), never a library's raw text where that can be helped.
namespace CamStudioRecorderFailureText {

// The reason for an errno value; the system's own text for the unusual ones.
QString systemReason(int systemError, ZunoLanguage language);
// The recordings folder could not be made: names the folder and why.
QString folderNotCreated(const QString &folder, const std::error_code &error, ZunoLanguage language);
// A recording that failed: why, and which file keeps what was recorded (and that it may not play when
// it lacks its index). Other recorder errors keep their own description.
QString recordingFailed(const CameraRecorderError &error, ZunoLanguage language);
// A finished recording: "Saved MP4: <file>", after why the recorder stopped it early, if it did.
QString recordingSaved(const CameraRecordingResult &result, ZunoLanguage language);

} // namespace CamStudioRecorderFailureText
