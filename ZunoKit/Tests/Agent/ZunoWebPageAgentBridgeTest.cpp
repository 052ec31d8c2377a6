#include "ZunoWebPageAgentBridge.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <functional>
#include <optional>

namespace Page = ZunoWebPageAgentBridge;

namespace {

// The constant lines right after "(function() {": upper-case names with a plain value.
QStringList constantLines(const QString &script)
{
    static const QRegularExpression constant(QStringLiteral("^  const [A-Z_]+ = [^{].*;$"));
    QStringList out;
    const QStringList lines = script.split(u'\n');
    for (qsizetype i = 1; i < lines.size() && constant.match(lines.at(i)).hasMatch(); ++i)
        out << lines.at(i);
    return out;
}

} // namespace

TEST(ZunoWebPageAgentBridge, FramesEveryScriptWithItsConstantsInOrder)
{
    struct Case {
        const char *name;
        QString script;
        QStringList constants;
    };
    const QList<Case> cases {
        { "snapshot", Page::snapshotScript(50, 2000, QStringLiteral("forms"), true),
            { "  const MAX_NODES = 50;", "  const MAX_TEXT = 2000;", "  const MODE = \"forms\";",
                "  const DIFF = true;" } },
        { "extract", Page::extractTextScript(1000), { "  const MAX = 1000;" } },
        { "inspect", Page::inspectTargetScript(QStringLiteral("@e3")), { "  const TARGET = \"@e3\";" } },
        { "click without label", Page::clickScript(QStringLiteral("#send")),
            { "  const TARGET = \"#send\";", "  const BADGE = \"\";" } },
        { "click", Page::clickScript(QStringLiteral("#send"), QStringLiteral("Reply")),
            { "  const TARGET = \"#send\";", "  const BADGE = \"Reply\";" } },
        { "fill without label", Page::fillScript(QStringLiteral("@e1"), QStringLiteral("hi")),
            { "  const TARGET = \"@e1\";", "  const VALUE = \"hi\";", "  const BADGE = \"Draft\";" } },
        { "press key", Page::pressKeyScript(QStringLiteral("Enter")), { "  const KEY = \"Enter\";" } },
        { "scroll", Page::scrollScript(QStringLiteral("UP"), 400),
            { "  const DIR = \"up\";", "  const PX = 400;" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.script.startsWith(QLatin1String("(function() {\n")));
        EXPECT_TRUE(c.script.endsWith(QLatin1String("\n})();")));
        EXPECT_EQ(constantLines(c.script), c.constants);
    }
}

TEST(ZunoWebPageAgentBridge, ClampsNumbers)
{
    struct Case {
        const char *name;
        QString script;
        const char *line;
    };
    const QList<Case> cases {
        { "nodes low", Page::snapshotScript(5, 4000, QStringLiteral("all"), false),
            "  const MAX_NODES = 10;" },
        { "nodes high", Page::snapshotScript(500, 4000, QStringLiteral("all"), false),
            "  const MAX_NODES = 200;" },
        { "text low", Page::snapshotScript(80, 100, QStringLiteral("all"), false),
            "  const MAX_TEXT = 400;" },
        { "text high", Page::snapshotScript(80, 50000, QStringLiteral("all"), false),
            "  const MAX_TEXT = 16000;" },
        { "extract low", Page::extractTextScript(0), "  const MAX = 500;" },
        { "extract high", Page::extractTextScript(99999), "  const MAX = 20000;" },
        { "scroll low", Page::scrollScript(QStringLiteral("down"), 10), "  const PX = 80;" },
        { "scroll high", Page::scrollScript(QStringLiteral("down"), 5000), "  const PX = 3000;" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(constantLines(c.script).contains(QString::fromUtf8(c.line)));
    }
}

TEST(ZunoWebPageAgentBridge, WritesTextLiteralsWithThePlatformEscaping)
{
    const QList<std::pair<QString, QString>> cases {
        { QStringLiteral("say \"hi\""), QStringLiteral("\"say \\\"hi\\\"\"") },
        { QStringLiteral("a\\b"), QStringLiteral("\"a\\\\b\"") },
        { QStringLiteral("one\ntwo\r\t"), QStringLiteral("\"one\\ntwo\\r\\t\"") },
        { QStringLiteral("</script>"), QStringLiteral("\"<\\/script>\"") },
        { QString(QChar(0x01)) + QChar(0x1f), QStringLiteral("\"\\u0001\\u001f\"") },
        { QStringLiteral("Satın al · 😀"), QStringLiteral("\"Satın al · 😀\"") },
        { QString(), QStringLiteral("\"\"") },
        // A lone surrogate cannot be written: the empty literal.
        { QStringLiteral("a") + QChar(0xD800), QStringLiteral("\"\"") },
    };
    for (const auto &[text, literal] : cases)
        EXPECT_EQ(Page::jsonStringLiteral(text), literal) << text.toStdString();
    // A target with a quote cannot end its literal early.
    EXPECT_TRUE(constantLines(Page::inspectTargetScript(QStringLiteral("\"; alert(1); \"")))
                    .contains(QStringLiteral("  const TARGET = \"\\\"; alert(1); \\\"\";")));
}

TEST(ZunoWebPageAgentBridge, TellsRiskyActions)
{
    struct Case {
        QString target;
        std::optional<QString> label;
        std::optional<QString> resolved;
        bool risky;
    };
    const QList<Case> cases {
        { QStringLiteral("@e4"), QStringLiteral("Send message"), std::nullopt, true },
        { QStringLiteral("@e4"), QStringLiteral("Sender settings"), std::nullopt, false },
        { QStringLiteral("[aria-label=\"delete\"]"), std::nullopt, std::nullopt, true },
        { QStringLiteral("@e2"), QStringLiteral("Satın al"), std::nullopt, true },
        { QStringLiteral("  "), QStringLiteral(" \n"), QStringLiteral("\t"), false },
        { QString(), std::nullopt, std::nullopt, false },
        { QStringLiteral("SEND"), std::nullopt, std::nullopt, true },
        { QStringLiteral("#payload"), std::nullopt, std::nullopt, false },
        { QStringLiteral("@e1"), std::nullopt, QStringLiteral("Confirm payment"), true },
        { QStringLiteral("@e1"), QStringLiteral("Order history"), std::nullopt, true },
        { QStringLiteral("[data-testid=\"send\"]"), std::nullopt, std::nullopt, true },
        { QStringLiteral(".message-send-icon"), std::nullopt, std::nullopt, true },
        { QStringLiteral("@e9"), QStringLiteral("\"reply\""), std::nullopt, true },
        { QStringLiteral("@e9"), QStringLiteral("Replying to Ada"), std::nullopt, false },
        { QStringLiteral("@e3"), QStringLiteral("Sil"), std::nullopt, true },
        { QStringLiteral("@e3"), QStringLiteral("Silence"), std::nullopt, false },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Page::isRiskyAction(c.target, c.label, c.resolved), c.risky)
            << c.target.toStdString() << " / " << c.label.value_or(QString()).toStdString();
    }
}

TEST(ZunoWebPageAgentBridge, FormatsCompactSnapshots)
{
    const QList<std::pair<QString, QString>> cases {
        { QStringLiteral("not json"), QStringLiteral("not json") },
        { QStringLiteral("[1, 2]"), QStringLiteral("[1, 2]") },
        { QStringLiteral(R"({"title":"Inbox","url":"https://mail.test/"})"),
            QStringLiteral("PAGE: Inbox | https://mail.test/") },
        { QStringLiteral(R"({"title":"","url":"u","elements":[],"text":""})"),
            QStringLiteral("PAGE: (untitled) | u") },
        { QStringLiteral(
              R"({"title":"Inbox","url":"u","elements":["@e1 [button] \"Send\"","@e2 [a] \"Home\""],)"
              R"("text":"Hello\nWorld"})"),
            QStringLiteral("PAGE: Inbox | u\nREFS (2):\n@e1 [button] \"Send\"\n@e2 [a] "
                           "\"Home\"\nCONTENT:\nHello\nWorld") },
        { QStringLiteral(R"({"isDiff":true,"unchanged":true,"title":"Inbox","url":"u"})"),
            QStringLiteral("PAGE (DIFF · UNCHANGED): Inbox | u\nNo changes since previous snapshot.") },
        { QStringLiteral(
              R"({"isDiff":true,"unchanged":false,"title":"Inbox %3","url":"u","nodeCount":12,)"
              R"("addedElements":["@e12 [button] \"Undo\""],"removedCount":2,"addedText":"Sent."})"),
            QStringLiteral(
                "PAGE (DIFF): Inbox %3 | u [total refs: 12, +1/-2]\nNEW REFS (1):\n@e12 [button] \"Undo\"\n"
                "NEW CONTENT:\nSent.") },
        // Missing counts: the removed count is 0 and the total the number added.
        { QStringLiteral(
              R"({"isDiff":true,"title":"T","url":"u","addedElements":["@e1 [a] \"A\"","@e2 [a] \"B\""]})"),
            QStringLiteral(
                "PAGE (DIFF): T | u [total refs: 2, +2/-0]\nNEW REFS (2):\n@e1 [a] \"A\"\n@e2 [a] \"B\"") },
        { QStringLiteral(R"({"isDiff":true,"title":"T","url":"u"})"),
            QStringLiteral("PAGE (DIFF): T | u [total refs: 0, +0/-0]") },
    };
    for (const auto &[json, text] : cases)
        EXPECT_EQ(Page::formatCompactSnapshot(json), text) << json.toStdString();
}
