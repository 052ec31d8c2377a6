#include "ZunoHttpErrorText.h"

#include <gtest/gtest.h>

using Kind = ZunoHttpError::Kind;

TEST(ZunoHttpErrorText, DescribesEachKindInTheGivenLanguageAndLogsInEnglish)
{
    const ZunoHttpError other(Kind::other, QStringLiteral("boom"));
    EXPECT_EQ(ZunoHttpErrorText::description(other, ZunoLanguage::en),
        QStringLiteral("A network error occurred: boom"));
    EXPECT_EQ(ZunoHttpErrorText::description(other, ZunoLanguage::tr),
        QStringLiteral("Bir ağ hatası oluştu: boom"));
    EXPECT_EQ(ZunoHttpErrorText::description(ZunoHttpError(Kind::timedOut), ZunoLanguage::tr),
        QStringLiteral("İstek zaman aşımına uğradı."));
    EXPECT_EQ(ZunoHttpErrorText::description(ZunoHttpError(Kind::insecureRedirect), ZunoLanguage::tr),
        QStringLiteral("Sunucu güvenli bir https adresinden güvensiz bir http adresine yönlendirdi; "
                       "yönlendirme reddedildi."));
    EXPECT_STREQ(ZunoHttpError(Kind::cancelled).what(), "The request was cancelled.");
}
