#include "ZunoAILocalizedText.h"
#include "ZunoAILocalizedList.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ZunoAILocalizedText, TurkishGetsTurkishOtherLanguagesEnglishEachFallingBackWhenEmpty)
{
    struct Case {
        const char *tr;
        const char *en;
        ZunoLanguage language;
        const char *expected;
    };
    const std::vector<Case> cases = {
        { "Merhaba", "Hello", ZunoLanguage::tr, "Merhaba" },
        { "Merhaba", "Hello", ZunoLanguage::en, "Hello" },
        { "Merhaba", "Hello", ZunoLanguage::de, "Hello" },
        { "Merhaba", "Hello", ZunoLanguage::ar, "Hello" },
        { "", "Hello", ZunoLanguage::tr, "Hello" },
        { "", "Hello", ZunoLanguage::en, "Hello" },
        { "Merhaba", "", ZunoLanguage::en, "Merhaba" },
        { "Merhaba", "", ZunoLanguage::de, "Merhaba" },
        { "Merhaba", "", ZunoLanguage::zhHant, "Merhaba" },
        { "  ", "Hello", ZunoLanguage::tr, "  " }, // blanks are not empty, and are not trimmed
        { "Merhaba", " ", ZunoLanguage::ja, " " },
        { "", "", ZunoLanguage::tr, "" },
    };
    for (const Case &c : cases) {
        const ZunoAILocalizedText text { QString::fromUtf8(c.tr), QString::fromUtf8(c.en) };
        EXPECT_EQ(text.resolved(c.language), QString::fromUtf8(c.expected))
            << c.tr << "|" << c.en << " in " << rawValue(c.language).toStdString();
    }
}

TEST(ZunoAILocalizedList, FollowsTheSameRuleWithElements)
{
    const QStringList tr { QStringLiteral("Hızlı") };
    const QStringList en { QStringLiteral("Fast"), QStringLiteral("Cheap") };
    struct Case {
        QStringList tr;
        QStringList en;
        ZunoLanguage language;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        { tr, en, ZunoLanguage::tr, tr },
        { tr, en, ZunoLanguage::en, en },
        { tr, en, ZunoLanguage::fr, en },
        { {}, en, ZunoLanguage::tr, en },
        { tr, {}, ZunoLanguage::en, tr },
        { tr, {}, ZunoLanguage::ptBR, tr },
        { { QString() }, en, ZunoLanguage::tr, { QString() } }, // one empty element is not an empty list
        { {}, {}, ZunoLanguage::en, {} },
    };
    for (const Case &c : cases) {
        EXPECT_EQ((ZunoAILocalizedList { c.tr, c.en }.resolved(c.language)), c.expected)
            << c.tr.join(',').toStdString() << "|" << c.en.join(',').toStdString() << " in "
            << rawValue(c.language).toStdString();
    }
}
