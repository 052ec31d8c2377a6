// The script list: new scripts, deleting and editing the active one.
#include "StudioTestFixture.h"

#include <QTimeZone>

namespace {

TeleprompterScript script(const QString &title, const QUuid &id = QUuid::createUuid())
{
    return TeleprompterScript(
        id, title, title + QStringLiteral(" body"), QDateTime::fromSecsSinceEpoch(1000000000, Qt::UTC));
}

} // namespace

TEST_F(StudioTest, NewScriptGoesToTheTopSelectedInTheStudioLanguage)
{
    struct Case {
        ZunoLanguage language;
        QString title;
        QString body;
    };
    const Case cases[] {
        { ZunoLanguage::en, QStringLiteral("Untitled Script"),
            QStringLiteral("Write your talking points here...") },
        { ZunoLanguage::tr, QStringLiteral("Yeni Senaryo"),
            QStringLiteral("Konuşma metninizi buraya yazın...") },
    };
    start();
    for (const Case &c : cases) {
        vm->setLanguage(c.language);
        const std::size_t before = vm->scripts().size();
        const QDateTime earliest = QDateTime::currentDateTimeUtc().addSecs(-1);
        vm->createNewScript();
        ASSERT_EQ(vm->scripts().size(), before + 1);
        const TeleprompterScript &made = vm->scripts().front();
        EXPECT_EQ(made.title, c.title);
        EXPECT_EQ(made.body, c.body);
        EXPECT_GE(made.updatedAt, earliest);
        EXPECT_EQ(vm->selectedScriptID(), made.id);
        EXPECT_EQ(vm->activeScriptIndex(), 0u);
    }
    EXPECT_NE(vm->scripts()[0].id, vm->scripts()[1].id);
}

TEST_F(StudioTest, DeletingFollowsTheSelectionRules)
{
    const TeleprompterScript a = script(QStringLiteral("A"));
    const TeleprompterScript b = script(QStringLiteral("B"));
    const TeleprompterScript c = script(QStringLiteral("C"));
    const TeleprompterScript bTwin = script(QStringLiteral("B again"), b.id);
    struct Case {
        const char *name;
        std::vector<TeleprompterScript> scripts;
        int selected; // index into scripts
        TeleprompterScript removed;
        QStringList remaining;
        QString selectedAfter;
    };
    const Case cases[] {
        { "only script", { a }, 0, a, { "A" }, "A" },
        { "unselected", { a, b, c }, 0, b, { "A", "C" }, "A" },
        { "selected", { a, b, c }, 0, a, { "B", "C" }, "B" },
        { "selected in the middle", { a, b, c }, 1, b, { "A", "C" }, "A" },
        { "every match", { a, b, c, bTwin }, 2, b, { "A", "C" }, "C" },
        { "no match", { a, b }, 1, c, { "A", "B" }, "B" },
    };
    for (const Case &testCase : cases) {
        CamPersistedPayload document;
        document.scripts = testCase.scripts;
        writeDocument(document);
        fakes = {};
        start();
        vm->setSelectedScriptID(testCase.scripts[static_cast<std::size_t>(testCase.selected)].id);
        vm->deleteScript(testCase.removed);
        QStringList titles;
        for (const TeleprompterScript &remaining : vm->scripts())
            titles.append(remaining.title);
        EXPECT_EQ(titles, testCase.remaining) << testCase.name;
        const std::optional<std::size_t> active = vm->activeScriptIndex();
        ASSERT_TRUE(active.has_value());
        EXPECT_EQ(vm->scripts()[*active].id, vm->selectedScriptID()) << testCase.name;
        EXPECT_EQ(vm->scripts()[*active].title, testCase.selectedAfter) << testCase.name;
        flush();
        EXPECT_EQ(fakes.store->saves(), testCase.scripts.size() < 2 ? 0 : 1) << testCase.name;
        vm.reset();
    }
}

TEST_F(StudioTest, UpdatingTheActiveScriptStampsTheTimeEvenWithoutChanges)
{
    CamPersistedPayload document;
    document.scripts = { script(QStringLiteral("A")), script(QStringLiteral("B")) };
    writeDocument(document);
    start();
    vm->setSelectedScriptID(document.scripts[1].id);

    vm->updateActiveScript(std::nullopt, std::nullopt);
    flush();
    EXPECT_EQ(fakes.store->saves(), 1);
    EXPECT_EQ(vm->scripts()[1].title, QStringLiteral("B"));
    EXPECT_EQ(vm->scripts()[1].body, QStringLiteral("B body"));
    EXPECT_GT(vm->scripts()[1].updatedAt, document.scripts[1].updatedAt);
    EXPECT_EQ(vm->scripts()[0], document.scripts[0]);

    vm->updateActiveScript(std::nullopt, QStringLiteral("New body"));
    flush();
    EXPECT_EQ(vm->scripts()[1].title, QStringLiteral("B"));
    EXPECT_EQ(vm->scripts()[1].body, QStringLiteral("New body"));
    vm->updateActiveScript(QStringLiteral("New title"), std::nullopt);
    EXPECT_EQ(vm->scripts()[1].title, QStringLiteral("New title"));
    EXPECT_EQ(vm->scripts()[1].body, QStringLiteral("New body"));
    flush();
    EXPECT_EQ(fakes.store->saves(), 3);
}
