#pragma once

#include <sys/types.h>

// A full disk without root: while it lives, files of this process cannot grow past `bytes`, and
// SIGXFSZ is ignored so that such a write fails with EFBIG (or comes up short) instead of killing the
// test. The previous limit and signal action come back when it goes.
class ZunoFileSizeLimit {
public:
    explicit ZunoFileSizeLimit(off_t bytes);
    ~ZunoFileSizeLimit();
    ZunoFileSizeLimit(const ZunoFileSizeLimit &) = delete;
    ZunoFileSizeLimit &operator=(const ZunoFileSizeLimit &) = delete;

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
    unsigned long long m_soft = 0;
    unsigned long long m_hard = 0;
    void (*m_previousHandler)(int) = nullptr;
};
