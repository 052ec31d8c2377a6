#include "ZunoVirtualMemoryCardActions.h"

#include "ZunoDistributedNotificationCenter.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoSuiteCommandEnvelope.h"
#include "ZunoSuiteWorkspace.h"

#include <QDateTime>
#include <QFuture>
#include <QPointer>
#include <QUuid>

namespace ZunoVirtualMemoryCardActions {

void runRAMCommand(ZunoSuiteCommandKind kind, ZunoSuiteApp from, QObject *context,
    std::function<void(const ZunoSuiteCommandResult &)> done)
{
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    if (!bus)
        return;
    // With the widget as context: a widget gone before the end drops the line, the command still runs.
    bus->execute(
           kind, from, ZunoSuiteApp::zunoRAM, std::nullopt, std::nullopt, std::nullopt, false, false, {}, 45)
        .then(context, [done = std::move(done)](const ZunoSuiteCommandResult &result) { done(result); });
}

void openRAMDiskLab(ZunoSuiteApp from)
{
    ZunoSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = QDateTime::currentDateTimeUtc();
    envelope.sourceApp = from;
    envelope.targetApp = ZunoSuiteApp::zunoRAM;
    envelope.kind = ZunoSuiteCommandKind::ramOpenDiskLab;

    const bool running = isRunning(ZunoSuiteApp::zunoRAM);
    if (!running && !isInstalled(ZunoSuiteApp::zunoRAM))
        return;
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    if (!bus || !bus->enqueue(envelope))
        return;
    if (running) {
        if (auto *center = ZunoDistributedNotificationCenter::shared())
            center->post(ZunoSuiteCommandBus::notificationName(ZunoSuiteApp::zunoRAM));
        launch(ZunoSuiteApp::zunoRAM);
        return;
    }
    if (const auto entry = installedURL(ZunoSuiteApp::zunoRAM))
        ZunoSuiteWorkspace::shared()->openDesktopEntry(*entry, true);
}

} // namespace ZunoVirtualMemoryCardActions
