// Test main for every area: a QApplication on the offscreen platform (unless the run chose one,
// as the X11 tests under Xvfb do) and a temporary home for the whole run.
#include "ZunoTestHome.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ZunoTestHome home;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
