#pragma once

#include "ZunoCodeSignatureStatus.h"
#include "ZunoLanguage.h"
#include "ZunoMediaAuthorizationStatus.h"
#include "ZunoProtectedFolderCategory.h"
#include "ZunoSystemPermissionKind.h"

#include <QString>

#include <optional>

// Probes for privacy permissions, links to the desktop's settings, and the rules that keep a
// directory walk out of guarded folders. Stateless: every function may be called from any thread.
//
// Paths are normalised first: a leading "~" becomes the home folder, relative paths are made
// absolute, "." and ".." are resolved and a trailing "/" is dropped. Comparisons are
// case-sensitive unless said otherwise.
namespace ZunoPermissionCenter {

// Whether the application may watch and drive other applications' input: true in an X11 session,
// false on Wayland. Linux shows no prompt, so `prompt` has no effect.
bool isAccessibilityGranted(bool prompt);
// Whether the whole screen can be read without a prompt: true in an X11 session, false on
// Wayland (where every capture goes through the desktop portal).
bool isScreenRecordingGranted();
// Whether the user's private folders are readable, which a sandbox (Flatpak, Snap) withholds:
// the first of homeDirectory/.config and homeDirectory/.local/share that opens as a directory
// decides. Linux keeps no system-wide privacy database, so `includeSystemTCCProbe` adds nothing.
bool isFullDiskAccessGranted(const QString &homeDirectory, bool includeSystemTCCProbe);

// Linux executables carry no code signature: `unsignedCode` for an existing file, else `unknown`.
ZunoCodeSignatureStatus codeSignatureStatus(const QString &path);
// A designated-requirement text: certificate phrases give `stableCertificate`, "cdhash" gives
// `adHocCDHash`, anything else (and blank text) `unknown`.
ZunoCodeSignatureStatus classifyCodeRequirement(const QString &requirement);

std::optional<ZunoProtectedFolderCategory> classifyProtectedFolder(
    const QString &path, const QString &homeDirectory);
// Asked for every subdirectory a recursive walk is about to enter, with the root the user chose;
// true means do not enter `path`.
bool shouldSkipSubdirectoryToAvoidTCCPrompts(const QString &path, const QString &explicitRootPath,
    bool hasFullDiskAccess, const QString &homeDirectory);

// Opens the desktop's settings page for the permission ($XDG_CURRENT_DESKTOP decides); does
// nothing where none is known or its program is not installed.
void openSystemSettings(ZunoSystemPermissionKind kind);

// Checks read-write permission on every "video*" node in `deviceDirectory` without opening any (an
// open would power the camera up): one permitted node means access; only refusals (EACCES, EPERM)
// mean `denied`. No camera at all counts as authorised, so the capture service reports the missing
// device itself.
ZunoCameraAccess cameraAccess(const QString &deviceDirectory = QStringLiteral("/dev"));
ZunoMediaAuthorizationStatus cameraAuthorizationStatus();
// The user-visible advice for a denied camera: join the group that owns the device nodes.
QString cameraAccessHint(const ZunoCameraAccess &access, std::optional<ZunoLanguage> language = std::nullopt);
// A connection to the sound server: `authorized` when it opens, `denied` when the server refuses
// access, `restricted` when no server answers. Blocks up to two seconds.
ZunoMediaAuthorizationStatus microphoneAuthorizationStatus();

} // namespace ZunoPermissionCenter
