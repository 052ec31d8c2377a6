#pragma once

// The process's resident memory as the kernel counts it, for tests that bound what a hostile answer may
// cost. Linux only (/proc/self).

#include <QFile>
#include <QtGlobal>

namespace ZunoResidentMemory {

// A "Vm…" line of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline qint64 field(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Sets the peak (VmHWM) back to the present resident size; false when the kernel refuses.
inline bool resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// The growth of the peak over the resident size at the call, while `work` runs; -1 when unmeasurable.
template <typename Work> qint64 peakGrowthDuring(Work &&work)
{
    if (!resetPeak())
        return -1;
    const qint64 before = field("VmRSS");
    work();
    const qint64 peak = field("VmHWM");
    if (before < 0 || peak < 0)
        return -1;
    return peak - before;
}

} // namespace ZunoResidentMemory
