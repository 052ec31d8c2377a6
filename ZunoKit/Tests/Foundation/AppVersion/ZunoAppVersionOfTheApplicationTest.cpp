// The running application's version is its bundle's, not the fallbacks: this executable's application
// info carries a version and build that differ from them (see CMakeLists.txt).
#include "ZunoAppVersion.h"
#include "ZunoBundle.h"

#include <gtest/gtest.h>

TEST(ZunoAppVersionOfTheApplication, IsReadFromTheMainBundlesKeys)
{
    const ZunoAppVersion generated { QStringLiteral(ZUNO_TEST_VERSION),
        QStringLiteral(ZUNO_TEST_BUILD_NUMBER) };
    ASSERT_NE(generated.shortVersion, QStringLiteral("1.0.0"));
    ASSERT_NE(generated.buildNumber, QStringLiteral("100"));
    const QVariantMap &info = ZunoBundle::main().infoDictionary;
    EXPECT_EQ(info.value(QStringLiteral("CFBundleShortVersionString")).toString(), generated.shortVersion);
    EXPECT_EQ(info.value(QStringLiteral("CFBundleVersion")).toString(), generated.buildNumber);
    const ZunoAppVersion current = ZunoAppVersion::current();
    EXPECT_EQ(current.detailedDisplay().toStdString(), generated.detailedDisplay().toStdString());
    EXPECT_EQ(current, generated);
}
