#include "ZunoFileSizeLimit.h"

#include <csignal>
#include <sys/resource.h>

ZunoFileSizeLimit::ZunoFileSizeLimit(off_t bytes)
{
    rlimit current {};
    if (::getrlimit(RLIMIT_FSIZE, &current) != 0)
        return;
    m_soft = current.rlim_cur;
    m_hard = current.rlim_max;
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = current;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

ZunoFileSizeLimit::~ZunoFileSizeLimit()
{
    const rlimit previous { static_cast<rlim_t>(m_soft), static_cast<rlim_t>(m_hard) };
    if (m_active)
        ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, m_previousHandler);
}
