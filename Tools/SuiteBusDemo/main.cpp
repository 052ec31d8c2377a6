// Shows the suite registry and command vocabulary as this desktop sees them.
#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandKind.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void printLine(const QStringList &fields)
{
    std::printf("%s\n", fields.join(QLatin1Char('\t')).toUtf8().constData());
}

int apps()
{
    for (const ZunoSuiteApp app : ZunoSuiteApps::allCases()) {
        printLine({ rawValue(app), bundleIdentifier(app), installedURL(app).value_or(QStringLiteral("-")),
            isRunning(app) ? QStringLiteral("running") : QStringLiteral("-"),
            cliBinaryNames(app).join(QLatin1Char(',')) });
    }
    return 0;
}

int kinds()
{
    for (const ZunoSuiteCommandKind kind : ZunoSuiteCommandKinds::allCases())
        printLine({ rawValue(kind), rawValue(executionStyle(kind)) });
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: SuiteBusDemo apps | kinds\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    const QString &command = arguments.first();
    if (command == QLatin1String("apps"))
        return apps();
    if (command == QLatin1String("kinds"))
        return kinds();
    return usage();
}
