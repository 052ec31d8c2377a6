#include "TeleprompterRemoteCommand.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

constexpr int kMaxScriptIdCharacters = 128;

int clampedStep(std::optional<qint64> delta, int fallback, int maximum)
{
    if (!delta)
        return fallback;
    return static_cast<int>(std::clamp<qint64>(*delta, 1, maximum));
}

// Grapheme clusters up to `limit + 1`; enough to tell whether the text is over the limit.
int userPerceivedLength(const QString &text, int limit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count > limit)
            break;
    }
    return count;
}

} // namespace

std::optional<TeleprompterRemoteCommand> TeleprompterRemoteCommand::make(
    const QString &name, const std::optional<QString> &scriptId, std::optional<qint64> delta)
{
    const QString wire = name.trimmed().toLower();
    if (wire == u"wpm_up")
        return wpmUp(clampedStep(delta, 10, 60));
    if (wire == u"wpm_down")
        return wpmDown(clampedStep(delta, 10, 60));
    if (wire == u"font_up")
        return fontUp(clampedStep(delta, 2, 12));
    if (wire == u"font_down")
        return fontDown(clampedStep(delta, 2, 12));
    if (wire == u"play")
        return play();
    if (wire == u"pause")
        return pause();
    if (wire == u"toggle")
        return toggle();
    if (wire == u"reset")
        return reset();
    if (wire == u"select_script") {
        if (!scriptId)
            return std::nullopt;
        const QString id = scriptId->trimmed();
        if (id.isEmpty() || userPerceivedLength(id, kMaxScriptIdCharacters) > kMaxScriptIdCharacters)
            return std::nullopt;
        return selectScript(id);
    }
    return std::nullopt;
}

QString TeleprompterRemoteCommand::wireName() const
{
    switch (m_kind) {
    case Kind::wpmUp:
        return QStringLiteral("wpm_up");
    case Kind::wpmDown:
        return QStringLiteral("wpm_down");
    case Kind::fontUp:
        return QStringLiteral("font_up");
    case Kind::fontDown:
        return QStringLiteral("font_down");
    case Kind::selectScript:
        return QStringLiteral("select_script");
    case Kind::play:
        return QStringLiteral("play");
    case Kind::pause:
        return QStringLiteral("pause");
    case Kind::toggle:
        return QStringLiteral("toggle");
    case Kind::reset:
        return QStringLiteral("reset");
    }
    return {};
}
