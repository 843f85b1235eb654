#ifndef BENCHFIGURES_H
#define BENCHFIGURES_H

// What the program's measuring points and the empty window both read and
// print, so that their figures are taken alike.

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace bench {

// Prints a "bench <figure> <value>" line on standard error, which
// bench/run_bench.py reads. printf-checked, so a wrong format is a compile
// error.
Q_ATTRIBUTE_FORMAT_PRINTF(1, 2) inline void line(const char *format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fprintf(stderr, "bench ");
    std::vfprintf(stderr, format, args);
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    va_end(args);
}

// VmRSS of this process, in KiB; -1 when it cannot be read.
inline long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &row : status.readAll().split('\n')) {
        if (row.startsWith("VmRSS:"))
            return row.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The processor time of this process so far, all threads, in ms.
inline double processCpuMs()
{
    timespec t{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0)
        return -1;
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The processor time of the calling thread so far, in ms.
inline double threadCpuMs()
{
    timespec t{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) != 0)
        return -1;
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The "bench" lines of the first paint, printed from the paint on the main
// thread: when, and the processor time until then, all threads and the
// main thread's own.
inline void firstPaintLines(long long epochMs)
{
    line("window-shown-epoch-ms %lld", epochMs);
    line("window-shown-cpu-ms %.1f", processCpuMs());
    line("window-shown-main-cpu-ms %.1f", threadCpuMs());
}

} // namespace bench

#endif // BENCHFIGURES_H
