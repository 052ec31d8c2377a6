#include "CamModelsJson.h"
#include "CameraDeviceDescriptor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>

using nlohmann::json;

namespace {

std::string toStd(const QString &text)
{
    return text.toStdString();
}

} // namespace

TEST(CamModelsEnumerations, LookPresetsInOrderWithRawValuesAndLabels)
{
    const std::vector<std::array<const char *, 3>> expected = {
        { "natural", "Natural", "Doğal" },
        { "deepSeaCinema", "Deep Sea Cinema", "Derin Deniz Sinema" },
        { "warmStudio", "Warm Studio", "Sıcak Stüdyo" },
        { "crispDaylight", "Crisp Daylight", "Net Gün Işığı" },
        { "noirMono", "Noir Mono", "Siyah Beyaz" },
    };
    const auto &cases = CameraLookPresets::allCases();
    ASSERT_EQ(cases.size(), expected.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(expected[i][0]);
        EXPECT_EQ(toStd(rawValue(cases[i])), expected[i][0]);
        EXPECT_EQ(toStd(CameraLookPresets::id(cases[i])), expected[i][0]);
        EXPECT_EQ(toStd(CameraLookPresets::labelEN(cases[i])), expected[i][1]);
        EXPECT_EQ(toStd(CameraLookPresets::labelTR(cases[i])), expected[i][2]);
        EXPECT_EQ(CameraLookPresets::label(cases[i]),
            (CamTextPair { QString::fromUtf8(expected[i][1]), QString::fromUtf8(expected[i][2]) }));
        EXPECT_EQ(CameraLookPresets::fromRawValue(QString::fromUtf8(expected[i][0])), cases[i]);
    }
}

TEST(CamModelsEnumerations, PortraitModesInOrderWithLabelsShortLabelsAndSymbols)
{
    const std::vector<std::array<const char *, 6>> expected = {
        { "off", "Off", "Kapalı", "Off", "Kapalı", "person.crop.rectangle" },
        { "softBlur", "Soft Blur", "Hafif Bulanık", "Soft", "Hafif", "aqi.low" },
        { "strongBlur", "Strong Blur", "Güçlü Bulanık", "Strong", "Güçlü", "aqi.medium" },
        { "studioDim", "Studio Dim", "Stüdyo Karartma", "Dim", "Karart", "light.recessed" },
    };
    const auto &cases = PortraitBackgroundModes::allCases();
    ASSERT_EQ(cases.size(), expected.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(expected[i][0]);
        EXPECT_EQ(toStd(rawValue(cases[i])), expected[i][0]);
        EXPECT_EQ(toStd(PortraitBackgroundModes::labelEN(cases[i])), expected[i][1]);
        EXPECT_EQ(toStd(PortraitBackgroundModes::labelTR(cases[i])), expected[i][2]);
        EXPECT_EQ(toStd(PortraitBackgroundModes::shortLabelEN(cases[i])), expected[i][3]);
        EXPECT_EQ(toStd(PortraitBackgroundModes::shortLabelTR(cases[i])), expected[i][4]);
        EXPECT_EQ(toStd(PortraitBackgroundModes::symbolName(cases[i])), expected[i][5]);
        EXPECT_EQ(PortraitBackgroundModes::fromRawValue(QString::fromUtf8(expected[i][0])), cases[i]);
    }
}

TEST(CamModelsEnumerations, OverlayModesInOrderWithLabelsAndSymbols)
{
    const std::vector<std::array<const char *, 4>> expected = {
        { "fadingLaser", "Fading Laser", "Sönen Lazer", "wand.and.stars" },
        { "freehandPen", "Freehand Pen", "Sunum Kalemi", "pencil.tip.crop.circle" },
        { "arrowTool", "Arrow Pointer", "Ok İşareti", "arrow.up.right.circle.fill" },
        { "highlightBox", "Highlight Box", "Vurgu Kutusu", "rectangle.dashed" },
        { "numberedStamp", "Step Stamp (1,2,3)", "Adım Damgası (1,2,3)", "1.circle.fill" },
        { "cursorSpotlight", "Cursor Spotlight", "İmleç Spot Işığı", "flashlight.on.fill" },
    };
    const auto &cases = PresentationOverlayModes::allCases();
    ASSERT_EQ(cases.size(), expected.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(expected[i][0]);
        EXPECT_EQ(toStd(rawValue(cases[i])), expected[i][0]);
        EXPECT_EQ(toStd(PresentationOverlayModes::labelEN(cases[i])), expected[i][1]);
        EXPECT_EQ(toStd(PresentationOverlayModes::labelTR(cases[i])), expected[i][2]);
        EXPECT_EQ(toStd(PresentationOverlayModes::symbolName(cases[i])), expected[i][3]);
        EXPECT_EQ(PresentationOverlayModes::fromRawValue(QString::fromUtf8(expected[i][0])), cases[i]);
    }
}

TEST(CamModelsEnumerations, OnlyExactRawValuesMakeACase)
{
    for (const char *raw : { "Fading Laser", "FadingLaser", "fadinglaser", " fadingLaser", "" })
        EXPECT_FALSE(PresentationOverlayModes::fromRawValue(QString::fromUtf8(raw))) << raw;
    EXPECT_FALSE(CameraLookPresets::fromRawValue(QStringLiteral("Natural")));
    EXPECT_FALSE(PortraitBackgroundModes::fromRawValue(QStringLiteral("OFF")));

    EXPECT_THROW(json("noirmono").get<CameraLookPreset>(), CamDecodingError);
    EXPECT_THROW(json(2).get<PortraitBackgroundMode>(), CamDecodingError);
    EXPECT_EQ(json("studioDim").get<PortraitBackgroundMode>(), PortraitBackgroundMode::studioDim);
    EXPECT_EQ(json(PresentationOverlayMode::numberedStamp), json("numberedStamp"));
}

TEST(CamModelsDefaults, CameraAdjustmentsDefaults)
{
    const CameraAdjustments a;
    EXPECT_EQ(a.lookPreset, CameraLookPreset::natural);
    EXPECT_EQ(a.portraitBackgroundMode, PortraitBackgroundMode::off);
    EXPECT_TRUE(a.isMirrored);
    EXPECT_TRUE(a.autoFaceFraming);
    EXPECT_FALSE(a.showFramingGrid);
    EXPECT_FALSE(a.showLowerThird);
    EXPECT_EQ(a.lowerThirdName, QStringLiteral("Ada Kestrel"));
    EXPECT_EQ(a.lowerThirdTitle, QStringLiteral("Quarnwell Suite"));
    EXPECT_EQ(a.exposureEV, 0);
    EXPECT_EQ(a.warmthShift, 0);
    EXPECT_EQ(a.saturation, 1.05);
    EXPECT_EQ(a.contrast, 1.02);
    EXPECT_EQ(a.vignetteIntensity, 0.15);
    EXPECT_EQ(a.digitalZoom, 1.0);
    EXPECT_FALSE(a.revealRecordingInFinder);
}

TEST(CamModelsDefaults, TeleprompterSettingsDefaults)
{
    const TeleprompterSettings s;
    EXPECT_EQ(s.wordsPerMinute, 135);
    EXPECT_EQ(s.fontSize, 24);
    EXPECT_EQ(s.panelWidth, 560);
    EXPECT_EQ(s.panelHeight, 205);
    EXPECT_EQ(s.panelOpacity, 0.88);
    EXPECT_FALSE(s.mirrorTextHorizontally);
    EXPECT_TRUE(s.hideFromScreenShare);
    EXPECT_FALSE(s.voicePacingEnabled);
    EXPECT_EQ(s.voiceThresholdRMS, 0.045);
    EXPECT_EQ(s.countdownSecondsBeforeStart, 3);
    EXPECT_EQ(s.remoteControlPort, 8791);
}

TEST(CamModelsEquality, StringsCompareByCanonicalEquivalence)
{
    CameraAdjustments precomposed;
    precomposed.lowerThirdName = QString::fromUtf8("Zo\u00eb Ça\u011flar");
    CameraAdjustments decomposed;
    decomposed.lowerThirdName = QString::fromUtf8("Zoe\u0308 C\u0327ag\u0306lar");
    EXPECT_EQ(precomposed, decomposed);
    decomposed.lowerThirdName = QStringLiteral("Zoe Caglar");
    EXPECT_NE(precomposed, decomposed);

    const CameraDeviceDescriptor a { QStringLiteral("usb-1"), QString::fromUtf8("Cam\u00e9ra") };
    EXPECT_EQ(a, (CameraDeviceDescriptor { QStringLiteral("usb-1"), QString::fromUtf8("Came\u0301ra") }));
    EXPECT_NE(a, (CameraDeviceDescriptor { QStringLiteral("usb-2"), QString::fromUtf8("Cam\u00e9ra") }));

    CameraAdjustments zero;
    zero.exposureEV = -0.0;
    EXPECT_EQ(zero, CameraAdjustments());
}

TEST(CamModelsDecoding, EmptyObjectsGiveExactlyTheDefaults)
{
    EXPECT_EQ(json::object().get<CameraAdjustments>(), CameraAdjustments());
    const auto settings = json::object().get<TeleprompterSettings>();
    EXPECT_EQ(settings, TeleprompterSettings());
    EXPECT_TRUE(settings.hideFromScreenShare);
    EXPECT_FALSE(settings.mirrorTextHorizontally);
}

TEST(CamModelsDecoding, NullOrMissingKeysTakeTheirDefaultsAndOthersAreKept)
{
    const auto settings = json::parse(R"({"fontSize": null, "wordsPerMinute": 150, "remoteControlPort": 80,
                                          "countdownSecondsBeforeStart": 5.0, "unknownKey": [1, 2]})")
                              .get<TeleprompterSettings>();
    EXPECT_EQ(settings.fontSize, 24);
    EXPECT_EQ(settings.wordsPerMinute, 150);
    EXPECT_EQ(settings.remoteControlPort, 80);
    EXPECT_EQ(settings.countdownSecondsBeforeStart, 5);
    EXPECT_EQ(settings.panelWidth, 560);

    const auto camera = json::parse(R"({"lookPreset": "noirMono", "saturation": -5, "digitalZoom": 0,
                                        "lowerThirdName": null, "isMirrored": false})")
                            .get<CameraAdjustments>();
    EXPECT_EQ(camera.lookPreset, CameraLookPreset::noirMono);
    EXPECT_EQ(camera.saturation, -5);
    EXPECT_EQ(camera.digitalZoom, 0);
    EXPECT_EQ(camera.lowerThirdName, QStringLiteral("Ada Kestrel"));
    EXPECT_FALSE(camera.isMirrored);
    EXPECT_EQ(camera.contrast, 1.02);
}

TEST(CamModelsDecoding, WrongTypesAndUnknownRawValuesFail)
{
    const std::vector<std::pair<const char *, const char *>> cameraCases = {
        { "not an object", R"([])" },
        { "unknown look", R"({"lookPreset": "sepia"})" },
        { "look in other case", R"({"lookPreset": "Natural"})" },
        { "unknown portrait mode", R"({"portraitBackgroundMode": "blur"})" },
        { "string for number", R"({"saturation": "1.2"})" },
        { "bool for number", R"({"contrast": true})" },
        { "number for bool", R"({"isMirrored": 1})" },
        { "number for string", R"({"lowerThirdName": 7})" },
    };
    for (const auto &[name, text] : cameraCases)
        EXPECT_THROW(json::parse(text).get<CameraAdjustments>(), CamDecodingError) << name;
    // A literal beyond a double never reaches the model: the parser refuses it.
    EXPECT_THROW(json::parse(R"({"exposureEV": 1e400})"), json::exception);

    const std::vector<std::pair<const char *, const char *>> settingsCases = {
        { "null document", R"(null)" },
        { "fraction for integer", R"({"remoteControlPort": 8791.5})" },
        { "integer beyond 64 bits", R"({"remoteControlPort": 9223372036854775808})" },
        { "huge float for integer", R"({"countdownSecondsBeforeStart": 1e30})" },
        { "string for integer", R"({"countdownSecondsBeforeStart": "3"})" },
        { "object for number", R"({"fontSize": {}})" },
        { "string for bool", R"({"hideFromScreenShare": "true"})" },
    };
    for (const auto &[name, text] : settingsCases)
        EXPECT_THROW(json::parse(text).get<TeleprompterSettings>(), CamDecodingError) << name;

    const auto extremes = json::parse(R"({"remoteControlPort": -9223372036854775808,
                                          "countdownSecondsBeforeStart": 9223372036854775807})")
                              .get<TeleprompterSettings>();
    EXPECT_EQ(extremes.remoteControlPort, std::numeric_limits<qint64>::min());
    EXPECT_EQ(extremes.countdownSecondsBeforeStart, std::numeric_limits<qint64>::max());
}

TEST(CamModelsEncoding, EveryKeyIsWrittenAndDefaultsRoundTrip)
{
    const json camera = CameraAdjustments();
    EXPECT_EQ(camera.size(), 15u);
    EXPECT_EQ(camera.at("lookPreset"), "natural");
    EXPECT_EQ(camera.at("portraitBackgroundMode"), "off");
    EXPECT_EQ(camera.at("saturation"), 1.05);
    EXPECT_EQ(camera.get<CameraAdjustments>(), CameraAdjustments());

    const json settings = TeleprompterSettings();
    EXPECT_EQ(settings.size(), 11u);
    EXPECT_TRUE(settings.at("remoteControlPort").is_number_integer());
    EXPECT_TRUE(settings.at("countdownSecondsBeforeStart").is_number_integer());
    EXPECT_TRUE(settings.at("fontSize").is_number_float());
    EXPECT_EQ(settings.get<TeleprompterSettings>(), TeleprompterSettings());

    CameraAdjustments changed;
    changed.lookPreset = CameraLookPreset::deepSeaCinema;
    changed.portraitBackgroundMode = PortraitBackgroundMode::strongBlur;
    changed.lowerThirdName = QString::fromUtf8("Şule Öztürk");
    changed.warmthShift = -0.1;
    EXPECT_EQ(json(changed).get<CameraAdjustments>(), changed);
}

TEST(CamModelsEncoding, NonFiniteNumbersAreRefused)
{
    // JSON cannot hold them, and a silent null would be read back as a default.
    CameraAdjustments camera;
    camera.digitalZoom = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(json j = camera, CamEncodingError);
    TeleprompterSettings settings;
    settings.fontSize = std::numeric_limits<double>::infinity();
    EXPECT_THROW(json j = settings, CamEncodingError);
}

TEST(CamModelsScripts, ScriptsNeedAllFourKeys)
{
    const json valid = json::parse(R"({"id": "22222222-2222-4222-8222-2222222222AB", "title": "T",
                                      "body": "B", "updatedAt": "2026-03-01T09:30:00Z"})");
    const auto script = valid.get<TeleprompterScript>();
    EXPECT_EQ(script.id, QUuid::fromString(QStringLiteral("22222222-2222-4222-8222-2222222222ab")));
    EXPECT_EQ(script.updatedAt, QDateTime(QDate(2026, 3, 1), QTime(9, 30, 0), Qt::UTC));
    EXPECT_EQ(json(script), valid);

    for (const char *key : { "id", "title", "body", "updatedAt" }) {
        json missing = valid;
        missing.erase(key);
        EXPECT_THROW(missing.get<TeleprompterScript>(), CamDecodingError) << "without " << key;
        json null = valid;
        null[key] = nullptr;
        EXPECT_THROW(null.get<TeleprompterScript>(), CamDecodingError) << "null " << key;
        json number = valid;
        number[key] = 1;
        EXPECT_THROW(number.get<TeleprompterScript>(), CamDecodingError) << "number " << key;
    }
}

TEST(CamModelsScripts, IdsAndDatesOnlyInTheirStoredForm)
{
    json script
        = json::parse(R"({"id": "", "title": "T", "body": "B", "updatedAt": "2026-03-01T09:30:00Z"})");
    for (const char *id : { "{22222222-2222-4222-8222-222222222201}", "22222222222242228222222222222201",
             "22222222-2222-4222-8222-22222222220", "22222222-2222-4222-8222-22222222220G", "not a uuid" }) {
        script["id"] = id;
        EXPECT_THROW(script.get<TeleprompterScript>(), CamDecodingError) << id;
    }
    script["id"] = "00000000-0000-0000-0000-000000000000";
    EXPECT_TRUE(script.get<TeleprompterScript>().id.isNull());
    script["id"] = "22222222-2222-4222-8222-2222222222ab";

    for (const char *date : { "2026-03-01T09:30:00.250Z", "2026-03-01T09:30:00", "2026-03-01",
             "2026-03-01 09:30:00Z", "2026-02-30T09:30:00Z", "2026-03-01T24:00:00Z", "1772357400" }) {
        script["updatedAt"] = date;
        EXPECT_THROW(script.get<TeleprompterScript>(), CamDecodingError) << date;
    }
    script["updatedAt"] = "2026-03-01T11:30:00+02:00";
    EXPECT_EQ(
        script.get<TeleprompterScript>().updatedAt, QDateTime(QDate(2026, 3, 1), QTime(9, 30, 0), Qt::UTC));

    // Written in UTC, whole seconds, upper case.
    const TeleprompterScript written(
        QUuid::fromString(QStringLiteral("abcdefab-cdef-4abc-8def-abcdefabcdef")), QStringLiteral("T"),
        QStringLiteral("B"), QDateTime(QDate(2026, 3, 1), QTime(11, 30, 0, 750), Qt::OffsetFromUTC, 7200));
    const json j = written;
    EXPECT_EQ(j.at("id"), "ABCDEFAB-CDEF-4ABC-8DEF-ABCDEFABCDEF");
    EXPECT_EQ(j.at("updatedAt"), "2026-03-01T09:30:00Z");
}

TEST(CamModelsScripts, SampleScriptsAreBuiltOnce)
{
    const auto &first = TeleprompterScript::sampleScripts();
    const auto &second = TeleprompterScript::sampleScripts();
    EXPECT_EQ(first, second);
    EXPECT_EQ(&first, &second);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].id, QUuid::fromString(QStringLiteral("22222222-2222-4222-8222-222222222201")));
    EXPECT_EQ(first[0].title, QStringLiteral("Product Demo Intro"));
    EXPECT_EQ(first[1].id, QUuid::fromString(QStringLiteral("22222222-2222-4222-8222-222222222202")));
    EXPECT_EQ(first[1].title, QString::fromUtf8("Türkçe Sunum Açılışı"));
    EXPECT_EQ(first[0].updatedAt, first[1].updatedAt);
    for (const TeleprompterScript &script : first) {
        const QStringList paragraphs = script.body.split(QStringLiteral("\n\n"));
        EXPECT_EQ(paragraphs.size(), 3);
        for (const QString &paragraph : paragraphs)
            EXPECT_FALSE(paragraph.trimmed().isEmpty() || paragraph.contains(QLatin1Char('\n')));
    }
    EXPECT_TRUE(first[0].body.contains(QStringLiteral("Voice Pacing")));
}
