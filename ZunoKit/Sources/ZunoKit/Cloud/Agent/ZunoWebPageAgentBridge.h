#pragma once

#include <QString>

#include <optional>

// Builds the small JavaScript programs a host evaluates in a web page so that an agent can see it and act
// on it: a snapshot of the visible interactive elements with "@e" references, a text extract, and inspect,
// click, fill, key and scroll actions. Each program is one immediately invoked function whose value is a
// JSON text; it never throws to the host. Host side: the risk test for clicks and fills, and the compact
// text of a snapshot for the model. Stateless and thread-safe.
namespace ZunoWebPageAgentBridge {

// mode: "all", "forms", "buttons" or "links" (anything else lists as "all"). maxNodes is clamped to
// 10...200, maxTextChars to 400...16000. With `diff`, a second snapshot of the same address reports only
// what changed.
QString snapshotScript(int maxNodes, int maxTextChars, const QString &mode, bool diff);
// maxChars is clamped to 500...20000; the end of a longer text is kept.
QString extractTextScript(int maxChars);
QString inspectTargetScript(const QString &target);
// The ring's badge shows `label`, else the element's own label.
QString clickScript(const QString &target, const std::optional<QString> &label = std::nullopt);
// A blank target types into the page's composer; any other target must resolve. The badge shows
// `label`, else "Draft".
QString fillScript(
    const QString &target, const QString &value, const std::optional<QString> &label = std::nullopt);
QString pressKeyScript(const QString &key);
// direction: "top", "bottom", "up" or down (any other); amount is clamped to 80...3000 pixels.
QString scrollScript(const QString &direction, int amount);

// `text` as a double-quoted literal valid in JSON and JavaScript; "\"\"" when it cannot be written.
QString jsonStringLiteral(const QString &text);

// Whether a click or fill looks like sending, paying, deleting, blocking or reporting, so the host can ask
// the user first.
bool isRiskyAction(const QString &target, const std::optional<QString> &label = std::nullopt,
    const std::optional<QString> &resolvedElementText = std::nullopt);

// The compact text of a snapshot's JSON for the model; the input unchanged when it is not a JSON object.
QString formatCompactSnapshot(const QString &json);

} // namespace ZunoWebPageAgentBridge
