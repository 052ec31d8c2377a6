#include "TeleprompterScript.h"

#include "ZunoCanonicalText.h"

namespace {

const char kEnglishBody[]
    = "Welcome, everyone! In the next few minutes I'll show you how Quarnwell speeds up your daily "
      "desktop workflow, from the first window you open in the morning to the last file you share.\n"
      "\n"
      "While I talk, I keep eye contact with the camera lens: ZunoCam's transparent teleprompter stays "
      "anchored at the top of the screen, right under the camera, and when I share a single window "
      "instead of the whole screen, it stays out of the share, so you only ever see me.\n"
      "\n"
      "And if I want to improvise, that's fine too. With Voice Pacing enabled, scrolling pauses by "
      "itself when I stop talking and resumes the moment I speak again.";

const char kTurkishBody[]
    = "Herkese merhaba! Bugün size tamamen yerel çalışan, gizliliğinizi önemseyen bir masaüstü iş "
      "akışının demosunu göstereceğim.\n"
      "\n"
      "ZunoCam'in ekranın üst kenarında duran cam teleprompter'ı sayesinde kameraya göz teması kuruyor "
      "ve doğal bir şekilde konuşuyorum; ekranın tamamı yerine tek bir pencere paylaştığımda bu metin "
      "paylaşıma girmez, onu yalnızca sunumu yapan kişi görür.\n"
      "\n"
      "Hazırsanız, şimdi hep birlikte canlı örneğe geçelim.";

} // namespace

const std::vector<TeleprompterScript> &TeleprompterScript::sampleScripts()
{
    static const std::vector<TeleprompterScript> scripts = [] {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        return std::vector<TeleprompterScript> {
            TeleprompterScript(QUuid::fromString(QStringLiteral("22222222-2222-4222-8222-222222222201")),
                QStringLiteral("Product Demo Intro"), QString::fromUtf8(kEnglishBody), now),
            TeleprompterScript(QUuid::fromString(QStringLiteral("22222222-2222-4222-8222-222222222202")),
                QString::fromUtf8("Türkçe Sunum Açılışı"), QString::fromUtf8(kTurkishBody), now),
        };
    }();
    return scripts;
}

bool operator==(const TeleprompterScript &a, const TeleprompterScript &b)
{
    return a.id == b.id && zunoCanonicallyEqual(a.title, b.title) && zunoCanonicallyEqual(a.body, b.body)
        && a.updatedAt == b.updatedAt;
}
