#include "ZunoTerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kSignals { SIGTERM, SIGINT, SIGHUP };
int g_pipe[2] = { -1, -1 };
struct sigaction g_previous[kSignals.size()];

void onSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

ZunoTerminationSignals::ZunoTerminationSignals(QObject *parent)
    : QObject(parent)
{
    // Another instance already owns the handlers, or no pipe can be made: nothing is installed.
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < kSignals.size(); ++index)
        sigaction(kSignals[index], &action, &g_previous[index]);
    m_installed = true;
}

ZunoTerminationSignals::~ZunoTerminationSignals()
{
    if (!m_installed)
        return;
    for (std::size_t index = 0; index < kSignals.size(); ++index)
        sigaction(kSignals[index], &g_previous[index], nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void ZunoTerminationSignals::drain()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}
