#include "ZunoWebPageAgentBridge.h"

#include "ZunoJson.h"
#include "ZunoJsonEscape.h"
#include "ZunoWebPageAgentPageCode.h"

#include <QStringList>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace ZunoWebPageAgentBridge {

namespace {

using namespace ZunoWebPageAgentPageCode;

// Tested before the words, as plain substrings.
const char *const kRiskyMarkers[] = { R"(data-testid="send")", R"(data-icon="send")", R"(aria-label="send")",
    R"(aria-label="gönder")", "send-button", "message-send" };

const char *const kRiskyWords[]
    = { "send", "gönder", "gonder", "reply", "yanıtla", "pay", "öde", "ode", "checkout", "buy", "satın al",
          "satin al", "purchase", "order", "sipariş", "delete", "sil", "remove", "kaldır", "kaldir", "block",
          "engelle", "report", "şikayet", "transfer", "confirm payment", "onayla ve öde" };

using Constant = std::pair<const char *, QString>;

QString number(int value)
{
    return QString::number(value);
}
QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString script(std::initializer_list<Constant> constants, std::initializer_list<const char *> code)
{
    QString out = QStringLiteral("(function() {\n");
    for (const auto &[name, value] : constants)
        out += QStringLiteral("  const %1 = %2;\n").arg(QLatin1String(name), value);
    for (const char *piece : code)
        out += QString::fromUtf8(piece);
    out += QStringLiteral("})();");
    return out;
}

QString jsonString(const nlohmann::json &object, const char *key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? QString::fromStdString(found->get<std::string>())
                                                       : QString();
}

QStringList jsonStrings(const nlohmann::json &object, const char *key)
{
    QStringList out;
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array())
        return out;
    for (const auto &item : *found) {
        if (item.is_string())
            out << QString::fromStdString(item.get<std::string>());
    }
    return out;
}

std::optional<qint64> jsonInteger(const nlohmann::json &object, const char *key)
{
    const auto found = object.find(key);
    if (found == object.end())
        return std::nullopt;
    try {
        return ZunoJson::strictInteger(*found);
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
}

bool jsonTrue(const nlohmann::json &object, const char *key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

} // namespace

QString snapshotScript(int maxNodes, int maxTextChars, const QString &mode, bool diff)
{
    return script(
        {
            { "MAX_NODES", number(std::clamp(maxNodes, 10, 200)) },
            { "MAX_TEXT", number(std::clamp(maxTextChars, 400, 16000)) },
            { "MODE", jsonStringLiteral(mode) },
            { "DIFF", flag(diff) },
        },
        { kTextFunctions, kSnapshotBody });
}

QString extractTextScript(int maxChars)
{
    return script(
        { { "MAX", number(std::clamp(maxChars, 500, 20000)) } }, { kTextFunctions, kExtractTextBody });
}

QString inspectTargetScript(const QString &target)
{
    return script({ { "TARGET", jsonStringLiteral(target) } }, { kTargetFunction, kInspectBody });
}

QString clickScript(const QString &target, const std::optional<QString> &label)
{
    return script({ { "TARGET", jsonStringLiteral(target) },
                      { "BADGE", jsonStringLiteral(label.value_or(QString())) } },
        { kTargetFunction, kRingFunction, kClickBody });
}

QString fillScript(const QString &target, const QString &value, const std::optional<QString> &label)
{
    return script(
        {
            { "TARGET", jsonStringLiteral(target) },
            { "VALUE", jsonStringLiteral(value) },
            { "BADGE", jsonStringLiteral(label.value_or(QStringLiteral("Draft"))) },
        },
        { kTargetFunction, kRingFunction, kFillBody });
}

QString pressKeyScript(const QString &key)
{
    return script({ { "KEY", jsonStringLiteral(key) } }, { kPressKeyBody });
}

QString scrollScript(const QString &direction, int amount)
{
    return script(
        { { "DIR", jsonStringLiteral(direction.toLower()) }, { "PX", number(std::clamp(amount, 80, 3000)) } },
        { kScrollBody });
}

QString jsonStringLiteral(const QString &text)
{
    // A lone surrogate has no UTF-8 form: the writer would fail, so the literal is the empty one.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return QStringLiteral("\"\"");
    }
    return QString::fromUtf8(ZunoJsonEscape::quoted(text));
}

bool isRiskyAction(const QString &target, const std::optional<QString> &label,
    const std::optional<QString> &resolvedElementText)
{
    const QString text
        = (target + u' ' + label.value_or(QString()) + u' ' + resolvedElementText.value_or(QString()))
              .toLower()
              .trimmed();
    if (text.isEmpty())
        return false;
    for (const char *marker : kRiskyMarkers) {
        if (text.contains(QString::fromUtf8(marker)))
            return true;
    }
    for (const char *wordText : kRiskyWords) {
        const QString word = QString::fromUtf8(wordText);
        if (text == word || text.contains(u' ' + word + u' ') || text.startsWith(word + u' ')
            || text.endsWith(u' ' + word) || text.contains(u'=' + word) || text.contains(u'"' + word + u'"'))
            return true;
    }
    return false;
}

QString formatCompactSnapshot(const QString &json)
{
    const nlohmann::json root = nlohmann::json::parse(json.toStdString(), nullptr, false);
    if (root.is_discarded() || !root.is_object())
        return json;
    QString title = jsonString(root, "title");
    if (title.isEmpty())
        title = QStringLiteral("(untitled)");
    const QString url = jsonString(root, "url");
    QStringList lines;
    if (jsonTrue(root, "isDiff")) {
        if (jsonTrue(root, "unchanged")) {
            lines << QStringLiteral("PAGE (DIFF · UNCHANGED): ") + title + QStringLiteral(" | ") + url
                  << QStringLiteral("No changes since previous snapshot.");
            return lines.join(u'\n');
        }
        const QStringList added = jsonStrings(root, "addedElements");
        const qint64 removed = jsonInteger(root, "removedCount").value_or(0);
        const qint64 nodes = jsonInteger(root, "nodeCount").value_or(added.size());
        const QString addedText = jsonString(root, "addedText");
        // Concatenated: a title or address holding "%3" must come through as it is.
        lines << QStringLiteral("PAGE (DIFF): ") + title + QStringLiteral(" | ") + url
                + QStringLiteral(" [total refs: %1, +%2/-%3]").arg(nodes).arg(added.size()).arg(removed);
        if (!added.isEmpty()) {
            lines << QStringLiteral("NEW REFS (%1):").arg(added.size());
            lines << added;
        }
        if (!addedText.isEmpty())
            lines << QStringLiteral("NEW CONTENT:") << addedText;
        return lines.join(u'\n');
    }
    const QStringList elements = jsonStrings(root, "elements");
    const QString text = jsonString(root, "text");
    lines << QStringLiteral("PAGE: ") + title + QStringLiteral(" | ") + url;
    if (!elements.isEmpty()) {
        lines << QStringLiteral("REFS (%1):").arg(elements.size());
        lines << elements;
    }
    if (!text.isEmpty())
        lines << QStringLiteral("CONTENT:") << text;
    return lines.join(u'\n');
}

} // namespace ZunoWebPageAgentBridge
