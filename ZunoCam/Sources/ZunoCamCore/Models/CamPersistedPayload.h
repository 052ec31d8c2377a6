#pragma once

#include "CameraAdjustments.h"
#include "PresentationOverlayMode.h"
#include "TeleprompterScript.h"
#include "TeleprompterSettings.h"

#include <vector>

// The studio document: everything the user sets up, saved and loaded whole by CamScriptStore.
// Made without arguments it is the default document (the sample scripts and default settings).
struct CamPersistedPayload {
    std::vector<TeleprompterScript> scripts = TeleprompterScript::sampleScripts();
    TeleprompterSettings teleprompter;
    CameraAdjustments camera;
    PresentationOverlayMode overlayMode = PresentationOverlayMode::fadingLaser;

    friend bool operator==(const CamPersistedPayload &, const CamPersistedPayload &) = default;
};
