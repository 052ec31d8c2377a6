#pragma once

#include <sched.h>

// Pins the process to its first `cores` allowed CPUs, so that figures do not depend on the machine's size.
// Returns how many CPUs it is pinned to, or 0 where it is left as it was (no count, or the system
// refused).
inline int zunoPinToCores(int cores)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (cores <= 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return 0;
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    int taken = 0;
    for (int cpu = 0; cpu < CPU_SETSIZE && taken < cores; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &chosen);
            ++taken;
        }
    }
    return sched_setaffinity(0, sizeof chosen, &chosen) == 0 ? taken : 0;
}
