#include "ZunoWithoutFileOverride.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// On the calling thread only: the raw system calls, not a library that would apply them process-wide.
bool giveUpFileOverride()
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3] {};
    if (::syscall(SYS_capget, &header, sets) != 0)
        return false;
    for (const int capability : { CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH }) {
        __user_cap_data_struct &set = sets[CAP_TO_INDEX(capability)];
        const __u32 bit = CAP_TO_MASK(capability);
        set.effective &= ~bit;
        set.permitted &= ~bit;
        set.inheritable &= ~bit;
    }
    return ::syscall(SYS_capset, &header, sets) == 0;
}

} // namespace

bool zunoRunWithoutFileOverride(const std::function<void()> &work)
{
    bool ran = false;
    std::thread thread([&] {
        if (!giveUpFileOverride())
            return;
        work();
        ran = true;
    });
    thread.join();
    return ran;
}
