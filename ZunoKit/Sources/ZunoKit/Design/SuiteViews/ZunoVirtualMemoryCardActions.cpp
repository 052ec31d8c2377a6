#include "ZunoVirtualMemoryCardActions.h"

#include "ZunoSuiteCommandBus.h"

#include <QFuture>

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
    // The bus's window route: a start that fails takes its command back rather than leave it for a
    // later start to run unasked.
    if (ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared())
        bus->send(ZunoSuiteCommandKind::ramOpenDiskLab, from, ZunoSuiteApp::zunoRAM);
}

} // namespace ZunoVirtualMemoryCardActions
