#include "ZunoAIAdvancedSettingsSection.h"

#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoButton.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoFonts.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 20000;

// A store on the built-in catalog ("builtin-1"); its sync and local probes go to one loopback server.
struct CatalogFixture {
    CatalogFixture()
    {
        server.route("GET", "/models.json", ZunoFakeHttpServer::Reply::text(404, "").delayed(300ms));
        store = std::make_unique<ZunoAIModelCatalogStore>(
            registry, QString::fromLatin1(server.url("")), QString::fromLatin1(server.url("/v1")));
    }
    int catalogRequests() const
    {
        int count = 0;
        for (const auto &request : server.requests())
            count += request.target.startsWith("/models.json");
        return count;
    }

    QTemporaryDir cache;
    ZunoFakeHttpServer server;
    std::shared_ptr<ZunoAIModelRegistry> registry = std::make_shared<ZunoAIModelRegistry>(
        cache.path(), QString::fromLatin1(server.url("/models.json")));
    std::unique_ptr<ZunoAIModelCatalogStore> store;
};

const ZunoAIConfig kOwnKey(
    ZunoAIProvider::openAI, QStringLiteral("https://api.acme.test/v1"), QStringLiteral("acme-1"));

TEST(ZunoAIAdvancedSettingsSection, CatalogLineAndFieldsInBothLanguages)
{
    CatalogFixture f;
    ZunoAIAdvancedSettingsSection section(f.store.get());
    section.resync(kOwnKey, 42, ZunoLanguage::en);
    EXPECT_EQ(section.catalogLine()->text(), QStringLiteral("builtin-1 · 42 models · 0 local installed"));
    EXPECT_EQ(section.updateButton()->text(), QStringLiteral("Update Model List"));
    EXPECT_EQ(section.updateButton()->symbol(), QStringLiteral("arrow.triangle.2.circlepath"));
    EXPECT_EQ(section.endpointField()->text(), kOwnKey.endpointURL);
    EXPECT_EQ(section.modelField()->text(), kOwnKey.model);
    EXPECT_EQ(section.endpointField()->placeholderText(), defaultEndpoint(ZunoAIProvider::openAI));
    EXPECT_EQ(section.modelField()->placeholderText(), QStringLiteral("gpt-4o-mini"));
    // The glass style's font is replaced by the monospaced one.
    EXPECT_EQ(section.endpointField()->font().family(), QString::fromLatin1(ZunoFonts::kMonospacedFamily));
    EXPECT_EQ(ZunoFonts::size(section.modelField()->font()), 12);

    section.resync(kOwnKey, 1, ZunoLanguage::tr);
    EXPECT_EQ(section.catalogLine()->text(), QStringLiteral("builtin-1 · 1 model · 0 yerel yüklü"));
    EXPECT_EQ(section.updateButton()->text(), QStringLiteral("Model Listesini Güncelle"));
}

TEST(ZunoAIAdvancedSettingsSection, FieldLabelsShowWholeInEveryLanguage)
{
    CatalogFixture f;
    ZunoAIAdvancedSettingsSection section(f.store.get());
    section.resize(420, 200);
    section.show();
    for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        section.resync(kOwnKey, 1, language);
        section.layout()->activate();
        for (QLabel *label : { section.endpointLabel(), section.modelLabel() }) {
            SCOPED_TRACE(label->text().toStdString());
            EXPECT_GE(label->width(), QFontMetricsF(label->font()).horizontalAdvance(label->text()));
            EXPECT_EQ(label->width(), section.endpointLabel()->width());
        }
    }
    EXPECT_EQ(section.modelLabel()->text(), QStringLiteral("Model Kimliği"));
    EXPECT_GE(section.modelLabel()->width(), ZunoAIAdvancedSettingsSection::kLabelWidth);
    // The field starts where the label column ends, on both rows.
    EXPECT_EQ(section.modelField()->x(), section.endpointField()->x());
}

TEST(ZunoAIAdvancedSettingsSection, TwoQuickPressesStartOneRefreshAndTheButtonFollowsTheStore)
{
    CatalogFixture f;
    ZunoAIAdvancedSettingsSection section(f.store.get());
    section.resync(kOwnKey, 42, ZunoLanguage::en);
    ASSERT_TRUE(section.updateButton()->isEnabled());
    QTest::mouseClick(section.updateButton(), Qt::LeftButton);
    EXPECT_TRUE(section.updateButton()->isBusy());
    EXPECT_FALSE(section.updateButton()->isEnabled());
    section.updateButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.store->isSyncing(); }, kWaitMs));
    EXPECT_EQ(f.catalogRequests(), 1);
    EXPECT_FALSE(section.updateButton()->isBusy());
    EXPECT_TRUE(section.updateButton()->isEnabled());
    // A failed sync keeps the last line.
    EXPECT_EQ(section.catalogLine()->text(), QStringLiteral("builtin-1 · 42 models · 0 local installed"));
}

TEST(ZunoAIAdvancedSettingsSection, EditsReplaceOnlyTheirFieldAsTyped)
{
    ZunoAIAdvancedSettingsSection section(nullptr);
    section.resync(kOwnKey, 0, ZunoLanguage::en);
    std::vector<ZunoAIConfig> edited;
    QObject::connect(&section, &ZunoAIAdvancedSettingsSection::configEdited,
        [&](const ZunoAIConfig &config) { edited.push_back(config); });

    section.endpointField()->selectAll();
    QTest::keyClick(section.endpointField(), Qt::Key_Backspace);
    ASSERT_EQ(edited.size(), 1);
    ZunoAIConfig expected = kOwnKey;
    expected.endpointURL = QString();
    EXPECT_EQ(edited.back(), expected);
    EXPECT_EQ(section.endpointField()->placeholderText(), defaultEndpoint(ZunoAIProvider::openAI));

    QTest::keyClicks(section.modelField(), QStringLiteral(" x"));
    expected.model = kOwnKey.model + QStringLiteral(" x");
    EXPECT_EQ(edited.back(), expected);
}

TEST(ZunoAIAdvancedSettingsSection, ResyncReplacesFieldsButNeverUnderTheCaret)
{
    ZunoAIAdvancedSettingsSection section(nullptr);
    section.show();
    section.resync(kOwnKey, 0, ZunoLanguage::en);
    // A provider tile writes the provider's defaults: both fields follow.
    const ZunoAIConfig local(ZunoAIProvider::ollamaLocal);
    section.resync(local, 0, ZunoLanguage::en);
    EXPECT_EQ(section.endpointField()->text(), local.endpointURL);
    EXPECT_EQ(section.modelField()->text(), QStringLiteral("llama3.2"));
    EXPECT_EQ(section.modelField()->placeholderText(), QStringLiteral("llama3.2"));

    // While the user types, a re-sync with an older value leaves the field and the caret alone.
    section.activateWindow();
    section.modelField()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return section.modelField()->hasFocus(); }, kWaitMs));
    QTest::keyClicks(section.modelField(), QStringLiteral(":7b"));
    section.modelField()->setCursorPosition(3);
    section.resync(local, 0, ZunoLanguage::en);
    EXPECT_EQ(section.modelField()->text(), QStringLiteral("llama3.2:7b"));
    EXPECT_EQ(section.modelField()->cursorPosition(), 3);
}

} // namespace
