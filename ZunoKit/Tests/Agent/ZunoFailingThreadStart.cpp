#include "ZunoFailingThreadStart.h"

#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

namespace {

thread_local bool tFailing = false;

using Create = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);

} // namespace

void ZunoFailingThreadStart::setFailing(bool failing)
{
    tFailing = failing;
}

// Stands in front of the C library's function for the whole test executable.
extern "C" int pthread_create(
    pthread_t *thread, const pthread_attr_t *attributes, void *(*start)(void *), void *argument)
{
    if (tFailing)
        return EAGAIN;
    static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    return real(thread, attributes, start, argument);
}
