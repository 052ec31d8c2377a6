#include "ZunoFileSizeSignal.h"

#include <csignal>

namespace ZunoFileSizeSignal {

bool ignore()
{
    struct sigaction action { };
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGXFSZ, &action, nullptr) == 0;
}

} // namespace ZunoFileSizeSignal
