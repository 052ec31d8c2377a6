#include "ZunoLocalizationStore.h"
#include "ZunoBundle.h"
#include "ZunoLocalizationPack.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace {

using L = ZunoLanguage;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray testData(const QString &name)
{
    QFile file(QStringLiteral(ZUNO_TEST_DATA "/lzfse/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray packJson(const std::map<std::string, std::string> &strings,
    const std::map<std::string, std::string> &templates = {})
{
    return QByteArray::fromStdString(
        nlohmann::json { { "code", "xx" }, { "strings", strings }, { "templates", templates } }.dump());
}

// A test home plus two extra folders, searched first-first.
struct Folders {
    ZunoTestHome home;
    QTemporaryDir first;
    QTemporaryDir second;
    QString custom = ZunoLocalizationStore::customLanguagePacksDirectory();
    QString shared = ZunoLocalizationStore::sharedSuiteLocalizationsDirectory();
};

} // namespace

TEST(ZunoLocalizationStore, EnglishAndTurkishComeFromTheCallSite)
{
    Folders f;
    writeFile(f.first.filePath("tr.json"), R"({"Settings": "Pack Ayarlar"})");
    writeFile(f.first.filePath("en.json"), R"({"Settings": "Pack Settings"})");
    ZunoLocalizationStore store({ f.first.path() });
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::en), "Settings");
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::tr), "Ayarlar");
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "", L::tr), "Settings");
}

TEST(ZunoLocalizationStore, PacksAreCachedUntilReloaded)
{
    Folders f;
    ZunoLocalizationStore store({ f.first.path() });
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::de), "Settings");
    // The empty result is cached too: a pack that appears later is not seen yet.
    writeFile(f.first.filePath("de.json"), R"({"Settings": "Einstellungen"})");
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::de), "Settings");
    store.reloadCatalogs();
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::de), "Einstellungen");
    EXPECT_EQ(store.string("Settings", "Other", "Diğer", L::de), "Einstellungen");
    EXPECT_EQ(store.resolve(std::nullopt, "Unknown", "Bilinmeyen", L::de), "Unknown");

    // Registering a folder also empties the cache, even when it was already registered.
    QFile::remove(f.first.filePath("de.json"));
    store.registerSearchDirectory(f.first.path());
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::de), "Settings");
}

TEST(ZunoLocalizationStore, FallsBackToTheParentLanguageThenEnglish)
{
    Folders f;
    writeFile(f.first.filePath("pt-BR.json"), R"({"Settings": "Configurações", "Close": "Fechar"})");
    writeFile(f.first.filePath("pt-PT.json"), R"({"Settings": "Definições"})");
    writeFile(f.first.filePath("zh-Hans.json"), R"({"Settings": "设置"})");
    writeFile(f.first.filePath("es.json"), R"({"Close": "Cerrar"})");
    ZunoLocalizationStore store({ f.first.path() });
    struct Case {
        L language;
        const char *en;
        QString expected;
    };
    const std::vector<Case> cases = {
        { L::ptPT, "Settings", "Definições" },
        { L::ptPT, "Close", "Fechar" },
        { L::ptBR, "Settings", "Configurações" },
        { L::zhHant, "Settings", "设置" },
        { L::zhHans, "Settings", "设置" },
        { L::es, "Settings", "Settings" },
        { L::fr, "Settings", "Settings" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(store.resolve(std::nullopt, c.en, "", c.language), c.expected)
            << rawValue(c.language).toStdString();

    // pt-BR never borrows from pt-PT.
    writeFile(f.first.filePath("pt-PT.json"), R"({"Only Portugal": "Só Portugal"})");
    store.reloadCatalogs();
    EXPECT_EQ(store.resolve(std::nullopt, "Only Portugal", "", L::ptBR), "Only Portugal");
}

TEST(ZunoLocalizationStore, EarlierFoldersWin)
{
    Folders f;
    writeFile(f.shared + "/de.json",
        packJson({ { "A", "shared" }, { "B", "shared" }, { "C", "shared" }, { "D", "shared" } }));
    writeFile(f.custom + "/de.json", packJson({ { "A", "custom" }, { "B", "custom" }, { "D", "custom" } }));
    writeFile(f.second.filePath("de.json"), packJson({ { "A", "second" }, { "D", "" } }));
    writeFile(f.first.filePath("de.json"), R"({"A": "first"})");

    ZunoLocalizationStore store({ f.first.path(), f.second.path() });
    const auto text = [&](const char *en) { return store.resolve(std::nullopt, en, "", L::de); };
    EXPECT_EQ(text("A"), "first");
    EXPECT_EQ(text("B"), "custom");
    EXPECT_EQ(text("C"), "shared");
    EXPECT_EQ(text("D"), "custom"); // an empty translation lets a later folder's show through

    const QStringList folders = store.candidateDirectories();
    ASSERT_GE(folders.size(), 4);
    EXPECT_EQ(folders.mid(0, 3), QStringList({ f.first.path(), f.second.path(), f.custom }));
    const QString resources = ZunoBundle::main().resourceDirectory;
    EXPECT_EQ(folders.at(3), resources.isEmpty() ? f.shared : resources + "/Localizations");
    EXPECT_TRUE(folders.contains(f.shared));
    // The development folder is the source tree's, by its absolute path, for a program of the build
    // tree (as this test is); an installed program, in another folder, never reads the tree.
    const QString development = ZUNO_SOURCE_DIR "/ZunoKit/Sources/ZunoKit/Resources/Localizations";
    EXPECT_EQ(folders.constLast(), development);
    EXPECT_EQ(
        ZunoLocalizationStore::developmentDirectory(QCoreApplication::applicationDirPath()), development);
    QTemporaryDir installed;
    ASSERT_TRUE(QDir(installed.path()).mkpath("usr/bin"));
    for (const QString &elsewhere : { installed.filePath("usr/bin"), QStringLiteral("/usr/bin") })
        EXPECT_EQ(ZunoLocalizationStore::developmentDirectory(elsewhere), QString())
            << elsewhere.toStdString();
    for (const QString &folder : folders)
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();

    // A newly registered folder goes first; registering a listed one does not move it.
    QTemporaryDir third;
    writeFile(third.filePath("de.json"), R"({"A": "third"})");
    store.registerSearchDirectory(third.path());
    EXPECT_EQ(text("A"), "third");
    store.registerSearchDirectory(f.second.path());
    EXPECT_EQ(store.candidateDirectories().mid(0, 3),
        QStringList({ third.path(), f.first.path(), f.second.path() }));
    EXPECT_EQ(text("A"), "third");
}

// A relative folder would be read from wherever the process was started, so anyone able to put a
// folder there could change the texts: it is never searched.
TEST(ZunoLocalizationStore, RelativeFoldersAreNeverSearched)
{
    Folders f;
    QTemporaryDir startedIn;
    writeFile(startedIn.filePath("Resources/Localizations/de.json"), R"({"Settings": "Untergeschoben"})");
    writeFile(startedIn.filePath("packs/de.json"), R"({"Settings": "Untergeschoben"})");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(startedIn.path()));

    ZunoLocalizationStore store({ QStringLiteral("packs") });
    store.registerSearchDirectory(QStringLiteral("Resources/Localizations"));
    const QStringList folders = store.candidateDirectories();
    const QString text = store.resolve(std::nullopt, "Settings", "", L::de);
    QDir::setCurrent(previous);

    EXPECT_EQ(text, "Settings");
    for (const QString &folder : folders)
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();
}

TEST(ZunoLocalizationStore, ReadsCompressedAndPlainPacks)
{
    Folders f;
    // Full packs, flat packs and several FSE blocks, each under a language's name.
    writeFile(f.first.filePath("de.json.lzfse"), testData("de.json.lzfse"));
    writeFile(f.first.filePath("de.json"), R"({"Settings": "never read", "Only plain": "never read"})");
    writeFile(f.first.filePath("fr.json.lzfse"), testData("fr.json.lzfse"));
    writeFile(f.first.filePath("ja.json.lzfse"), testData("ja.json.lzfse"));
    writeFile(f.first.filePath("ar.json.lzfse"), testData("ar.json.lzfse"));
    writeFile(f.first.filePath("nl.json.lzfse"), testData("big.json.lzfse"));
    // An empty but valid compressed pack still counts: its plain twin is not read.
    writeFile(f.first.filePath("sv.json.lzfse"), testData("tiny.json.lzfse"));
    writeFile(f.first.filePath("sv.json"), R"({"Settings": "Inställningar"})");
    // Damaged compressed packs are skipped for the plain one beside them.
    writeFile(f.first.filePath("it.json.lzfse"), testData("de-no-end.json.lzfse"));
    writeFile(f.first.filePath("it.json"), R"({"Settings": "Impostazioni"})");
    writeFile(f.first.filePath("fi.json.lzfse"), testData("ar-bitflip.json.lzfse"));
    writeFile(f.first.filePath("fi.json"), R"({"Settings": "Asetukset"})");
    writeFile(f.first.filePath("pl.json.lzfse"), testData("bad-magic.json.lzfse"));
    writeFile(f.first.filePath("hu.json.lzfse"), testData("ar-truncated.json.lzfse"));
    writeFile(f.first.filePath("ko.json"), "not json");
    writeFile(f.first.filePath("cs.json"), R"(["a", "b"])");

    ZunoLocalizationStore store({ f.first.path() });
    struct Case {
        L language;
        const char *en;
        QString expected;
    };
    const std::vector<Case> cases = {
        { L::de, "Settings", "Einstellungen" },
        { L::de, "Launch Prompter (⌥⌘T)", "Prompter starten (⌥⌘T)" },
        { L::de, "Only plain", "Only plain" },
        { L::fr, "Start Live Camera", "Démarrer la caméra" },
        { L::ja, "Label 007", "ラベル 007" },
        { L::ar, "Source text number 1002 Ünlü", "başlat başlat 1002" },
        { L::nl, "Key 000009", "Wert 000009 ayar" },
        { L::sv, "Settings", "Settings" },
        { L::it, "Settings", "Impostazioni" },
        { L::fi, "Settings", "Asetukset" },
        { L::pl, "Settings", "Settings" },
        { L::hu, "Source text number 1002 Ünlü", "Source text number 1002 Ünlü" },
        { L::ko, "Settings", "Settings" },
        { L::cs, "Settings", "Settings" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(store.resolve(std::nullopt, c.en, "", c.language), c.expected)
            << rawValue(c.language).toStdString();
}

TEST(ZunoLocalizationStore, PackDecodingIsStrictAboutTypes)
{
    Folders f;
    // Wrong types make the pack form fail, so the file is read as a flat object (or not at all).
    writeFile(f.first.filePath("de.json"), R"({"strings": "oops", "Settings": "Einstellungen"})");
    writeFile(f.first.filePath("fr.json"), R"({"isRTL": "no", "strings": {"Settings": "Réglages"}})");
    writeFile(f.first.filePath("es.json"),
        R"({"code": null, "strings": {"Settings": "Ajustes"}, "templates": null})");
    ZunoLocalizationStore store({ f.first.path() });
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "", L::de), "Einstellungen");
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "", L::fr), "Settings");
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "", L::es), "Ajustes");

    const ZunoLocalizationPack pack { "de", "Deutsch", "German", false, { { "a", "b" } },
        { { "{0} x", "{0} y" } } };
    const nlohmann::json encoded = pack;
    EXPECT_EQ(encoded.size(), 6u);
    EXPECT_EQ(encoded.get<ZunoLocalizationPack>(), pack);
    EXPECT_EQ(nlohmann::json::object().get<ZunoLocalizationPack>(), ZunoLocalizationPack {});
    EXPECT_THROW(nlohmann::json({ { "templates", { { "a", 1 } } } }).get<ZunoLocalizationPack>(),
        nlohmann::json::exception);
}

TEST(ZunoLocalizationStore, KeysComeBeforeEnglishTexts)
{
    Folders f;
    writeFile(f.first.filePath("de.json"), R"({"settings.title": "Einstellungen", "Settings": "Optionen"})");
    ZunoLocalizationStore store({ f.first.path() });
    EXPECT_EQ(store.string("settings.title", "Settings", "Ayarlar", L::de), "Einstellungen");
    EXPECT_EQ(store.string("missing.key", "Settings", "Ayarlar", L::de), "Optionen");
    EXPECT_EQ(store.string("settings.title", "Settings", "Ayarlar", L::tr), "Ayarlar");
}

TEST(ZunoLocalizationStore, TemplatesTranslateTextsBuiltAtRunTime)
{
    Folders f;
    writeFile(f.first.filePath("de.json"),
        packJson({ { "Step 2 of 3", "Zweiter von drei" } },
            {
                { "{0} files", "{0} Dateien" },
                { "Copy {0} to {1}", "Kopiere {0} nach {1}" },
                { "Step {0} of {1}", "Schritt {0} von {1}" },
                { "Step {0}", "Etappe {0}" },
                { "Move {0} before {1}", "{1} nach {0}, {1}!" },
                { "Rename {0} to {1}", "Umbenennen {0} in {1}" },
                { "{1} of {0}", "[{0}|{1}]" },
                { "Saved {0}{1}", "never" },
                { "{0}", "never" },
                { "{0}:", "never" },
                { "{0} items", "" },
                { "No placeholder", "never" },
                { "Kept {0}", "Behalten {01} {0}" },
            }));
    ZunoLocalizationStore store({ f.first.path() });
    const std::vector<std::pair<QString, QString>> cases = {
        { "12 files", "12 Dateien" },
        { " files", " files" }, // the value would be empty
        { "files", "files" },
        { "Copy a to b to c", "Kopiere a nach b to c" }, // first occurrence of the inner literal
        { "Step 1 of 3", "Schritt 1 von 3" }, // the heavier template of the bucket first
        { "Step 4", "Etappe 4" },
        { "Step 2 of 3", "Zweiter von drei" }, // exact strings before templates
        { "Move x before y", "y nach x, y!" },
        { "Rename {1} to b", "Umbenennen {1} in b" }, // a value is never substituted again
        { "{1} of 7", "[7|{1}]" }, // out-of-order placeholders end the numbering
        { "Saved ab", "Saved ab" }, // adjacent placeholders never match
        { "abc:", "abc:" },
        { "5 items", "5 items" },
        { "Kept x", "Behalten {01} x" },
        { "St", "St" },
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(store.resolve(std::nullopt, text, "", L::de), expected) << text.toStdString();
}

TEST(ZunoLocalizationStore, TemplatesCountCharactersNotCodeUnits)
{
    Folders f;
    // Literals whose characters span several code units (surrogate pairs, combining marks).
    writeFile(
        f.first.filePath("ja.json"), packJson({}, { { "{0} 🎬🎬", "{0} 本" }, { "e\u0301x {0}", "É {0}" } }));
    ZunoLocalizationStore store({ f.first.path() });
    EXPECT_EQ(store.resolve(std::nullopt, "3 🎬🎬", "", L::ja), "3 本");
    EXPECT_EQ(store.resolve(std::nullopt, "e\u0301x 9", "", L::ja), "É 9");
    // "e" followed by a combining mark is one character, so "e" alone is no prefix of it.
    writeFile(f.first.filePath("ko.json"), packJson({}, { { "Cafe{0}", "카페 {0}" } }));
    store.reloadCatalogs();
    EXPECT_EQ(store.resolve(std::nullopt, "Cafe\u0301x", "", L::ko), "Cafe\u0301x");
    EXPECT_EQ(store.resolve(std::nullopt, "Cafex", "", L::ko), "카페 x");
}

TEST(ZunoLocalizationStore, CustomOverridesWinEverywhere)
{
    Folders f;
    writeFile(f.first.filePath("de.json"), R"({"Settings": "Einstellungen", "Close": "Schließen"})");
    const QString overrides = f.first.filePath("override.json");
    writeFile(overrides, R"({"Settings": "My Settings", "Close": "", "close.key": "Shut"})");
    ZunoLocalizationStore store({ f.first.path() });
    store.loadJSONPack(overrides);
    for (const L language : { L::en, L::tr, L::de, L::ja }) {
        EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", language), "My Settings");
        EXPECT_EQ(store.string("close.key", "Close", "Kapat", language), "Shut");
    }
    EXPECT_EQ(store.resolve(std::nullopt, "Close", "Kapat", L::de), "Schließen"); // empty override ignored
    EXPECT_EQ(store.resolve(std::nullopt, "Close", "Kapat", L::tr), "Kapat");

    // A pack-form override contributes its strings only, and replaces the earlier override whole.
    const QString packForm = f.first.filePath("override-pack.json");
    writeFile(packForm, packJson({ { "Close", "Done" } }, { { "{0} files", "{0} FILES" } }));
    store.loadJSONPack(packForm);
    EXPECT_EQ(store.resolve(std::nullopt, "Close", "Kapat", L::en), "Done");
    EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::en), "Settings");
    EXPECT_EQ(store.resolve(std::nullopt, "3 files", "", L::en), "3 files");

    // Compressed overrides.
    const QString compressed = f.first.filePath("override.json.LZFSE");
    writeFile(compressed, testData("fr.json.lzfse"));
    store.loadJSONPack(compressed);
    EXPECT_EQ(store.resolve(std::nullopt, "Teleprompter", "", L::tr), "Téléprompteur");

    store.clearCustomPack();
    EXPECT_EQ(store.resolve(std::nullopt, "Teleprompter", "Sufle", L::tr), "Sufle");
}

TEST(ZunoLocalizationStore, FailedOverridesKeepTheEarlierOnes)
{
    Folders f;
    const QString good = f.first.filePath("good.json");
    writeFile(good, R"({"Settings": "Kept"})");
    ZunoLocalizationStore store;
    store.loadJSONPack(good);

    using Kind = ZunoLocalizationPackError::Kind;
    const auto copy = [&](const QString &name, const QByteArray &bytes) {
        writeFile(f.first.filePath(name), bytes);
        return f.first.filePath(name);
    };
    const std::vector<std::pair<QString, Kind>> cases = {
        { f.first.filePath("missing.json"), Kind::readFailed },
        { copy("no-end.json.lzfse", testData("de-no-end.json.lzfse")), Kind::decompressionFailed },
        { copy("bad-magic.json.lzfse", testData("bad-magic.json.lzfse")), Kind::decompressionFailed },
        { copy("truncated.json.lzfse", testData("ar-truncated.json.lzfse")), Kind::decompressionFailed },
        { copy("flipped.json.lzfse", testData("ar-bitflip.json.lzfse")), Kind::decodingFailed },
        { copy("array.json", "[1, 2]"), Kind::decodingFailed },
        { copy("typed.json", R"({"strings": {"a": 1}})"), Kind::decodingFailed },
    };
    for (const auto &[path, kind] : cases) {
        SCOPED_TRACE(path.toStdString());
        try {
            store.loadJSONPack(path);
            ADD_FAILURE() << "no error";
        } catch (const ZunoLocalizationPackError &error) {
            EXPECT_EQ(error.kind(), kind) << error.what();
        }
        EXPECT_EQ(store.resolve(std::nullopt, "Settings", "Ayarlar", L::en), "Kept");
    }
}

TEST(ZunoLocalizationStore, ConcurrentLookupsAndReloads)
{
    Folders f;
    writeFile(f.first.filePath("de.json"),
        packJson({ { "Settings", "Einstellungen" } }, { { "{0} files", "{0} Dateien" } }));
    ZunoLocalizationStore store({ f.first.path() });
    std::atomic<int> wrong = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if (t == 0 && i % 20 == 0)
                    store.reloadCatalogs();
                if (store.resolve(std::nullopt, "Settings", "", L::de) != "Einstellungen"
                    || store.resolve(std::nullopt, QString::number(i) + " files", "", L::de)
                        != QString::number(i) + " Dateien")
                    ++wrong;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}
