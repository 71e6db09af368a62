#pragma once

#include <QFile>
#include <QString>

// The process's memory as the system counts it, for the benchmarks.
namespace benchmemory
{

// A "VmRSS:"-style line of /proc/self/status, in megabytes; -1 where there is none.
inline double statusMb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            constexpr double kilobytesPerMegabyte = 1024.0;
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble()
                / kilobytesPerMegabyte;
        }
    }
    return -1;
}

// Resident memory now.
inline double residentMb()
{
    return statusMb("VmRSS");
}

// The most resident memory the process has had.
inline double peakMb()
{
    return statusMb("VmHWM");
}

// Starts the peak (peakMb) again from the resident memory now; false where the system cannot.
inline bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace benchmemory
