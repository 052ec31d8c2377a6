#pragma once

// The JavaScript that ZunoWebPageAgentBridge puts between a script's constants and its closing line:
// the shared page functions and one body per script. Each piece is whole lines, indented two spaces.
namespace ZunoWebPageAgentPageCode {

// __zunoClean(text, max) and __zunoLines(text): white space collapsed, long texts cut with "…".
extern const char kTextFunctions[];
// __zunoFindTarget(target): "@e"/"@" references, "text=" searches, else a CSS selector.
extern const char kTargetFunction[];
// __zunoShowRing(element, badge): the fading highlight ring.
extern const char kRingFunction[];

extern const char kSnapshotBody[];
extern const char kExtractTextBody[];
extern const char kInspectBody[];
extern const char kClickBody[];
extern const char kFillBody[];
extern const char kPressKeyBody[];
extern const char kScrollBody[];

} // namespace ZunoWebPageAgentPageCode
