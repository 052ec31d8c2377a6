#include "ZunoCamDisplayCheck.h"
#include "ZunoCamStudioWindow.h"

#include "ZunoAppInfo.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (const QString reason = zunoMissingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "ZunoCam: %s\n", qPrintable(reason));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ZunoAppInfo::displayName));
    QApplication::setApplicationVersion(QString::fromUtf8(ZunoAppInfo::shortVersion));
    QApplication::setOrganizationName(QStringLiteral("Quarnwell"));
    QApplication::setDesktopFileName(QString::fromUtf8(ZunoAppInfo::bundleIdentifier));

    ZunoCamStudioWindow window;
    window.show();
    return app.exec();
}
