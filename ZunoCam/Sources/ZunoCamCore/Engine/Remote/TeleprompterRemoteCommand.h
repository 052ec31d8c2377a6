#pragma once

#include <QString>

#include <optional>

// One instruction from the remote, with its step or script id already defaulted and clamped.
class TeleprompterRemoteCommand {
public:
    enum class Kind { wpmUp, wpmDown, fontUp, fontDown, selectScript, play, pause, toggle, reset };

    static TeleprompterRemoteCommand wpmUp(int delta) { return { Kind::wpmUp, delta, {} }; }
    static TeleprompterRemoteCommand wpmDown(int delta) { return { Kind::wpmDown, delta, {} }; }
    static TeleprompterRemoteCommand fontUp(int delta) { return { Kind::fontUp, delta, {} }; }
    static TeleprompterRemoteCommand fontDown(int delta) { return { Kind::fontDown, delta, {} }; }
    static TeleprompterRemoteCommand selectScript(const QString &id) { return { Kind::selectScript, 0, id }; }
    static TeleprompterRemoteCommand play() { return { Kind::play, 0, {} }; }
    static TeleprompterRemoteCommand pause() { return { Kind::pause, 0, {} }; }
    static TeleprompterRemoteCommand toggle() { return { Kind::toggle, 0, {} }; }
    static TeleprompterRemoteCommand reset() { return { Kind::reset, 0, {} }; }

    // Reads a command from its wire name and parameters: the name trimmed, lower-cased and matched
    // exactly; steps default to 10 (pace) or 2 (font) and are clamped to 1...60 or 1...12; a script
    // id is trimmed and must hold 1 to 128 user-perceived characters. None when rejected.
    static std::optional<TeleprompterRemoteCommand> make(
        const QString &name, const std::optional<QString> &scriptId, std::optional<qint64> delta);

    Kind kind() const { return m_kind; }
    // The step of the four stepping commands; 0 for the others.
    int delta() const { return m_delta; }
    // The id of select_script; empty for the others.
    const QString &scriptId() const { return m_scriptId; }
    // The name used on the wire and in log lines ("wpm_up", "select_script", ...).
    QString wireName() const;

    friend bool operator==(const TeleprompterRemoteCommand &, const TeleprompterRemoteCommand &) = default;

private:
    TeleprompterRemoteCommand(Kind kind, int delta, QString scriptId)
        : m_kind(kind)
        , m_delta(delta)
        , m_scriptId(std::move(scriptId))
    {
    }

    Kind m_kind;
    int m_delta;
    QString m_scriptId;
};
