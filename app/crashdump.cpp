#include "crashdump.h"

#include "globals.h"

#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <typeinfo>

#include <cxxabi.h>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Everything the signal handler needs is prepared at install time: the
// handler itself may only use async-signal-safe calls (no allocation, no
// locks, no stdio, no localtime).
namespace {

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

char g_dataDir[4096];        // the user data folder
char g_exceptionDir[4096];   // <data>/Exception
long g_utcOffset = 0;        // local time minus UTC, in seconds, at install
std::atomic<bool> g_dumping(false);
bool g_installed = false;

// A small fixed buffer with append helpers; nothing here allocates.
struct Text
{
    char data[512];
    size_t size = 0;

    void add(const char *s)
    {
        while (*s && size < sizeof(data) - 1)
            data[size++] = *s++;
        data[size] = 0;
    }
    void addNumber(unsigned long value, int width = 0, int base = 10)
    {
        char digits[32];
        int n = 0;
        do {
            digits[n++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value && n < 32);
        while (n < width && n < 32)
            digits[n++] = '0';
        while (n > 0 && size < sizeof(data) - 1)
            data[size++] = digits[--n];
        data[size] = 0;
    }
    void addHex(const void *p)
    {
        add("0x");
        addNumber(reinterpret_cast<unsigned long>(p), 16, 16);
    }
};

void writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return;
        data += n;
        size -= size_t(n);
    }
}

// Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
void civilFromDays(long days, long &year, unsigned &month, unsigned &day)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = unsigned(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = long(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

// "<Exception folder>/yyyy_MM_dd_hh_mm_ss.dmp" for the current local time.
void dumpPath(Text &path)
{
    const long local = long(::time(nullptr)) + g_utcOffset;
    long days = local / 86400;
    long secs = local % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    long year;
    unsigned month, day;
    civilFromDays(days, year, month, day);
    path.add(g_exceptionDir);
    path.add("/");
    path.addNumber(static_cast<unsigned long>(year), 4);
    path.add("_");
    path.addNumber(month, 2);
    path.add("_");
    path.addNumber(day, 2);
    path.add("_");
    path.addNumber(static_cast<unsigned long>(secs / 3600), 2);
    path.add("_");
    path.addNumber(static_cast<unsigned long>(secs / 60 % 60), 2);
    path.add("_");
    path.addNumber(static_cast<unsigned long>(secs % 60), 2);
    path.add(".dmp");
}

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

// Writes the dump; returns false when another thread is already writing one.
bool writeDump(const char *cause, int sig, int code, const void *address, const char *detail)
{
    bool expected = false;
    if (!g_dumping.compare_exchange_strong(expected, true))
        return false;

    Text path;
    dumpPath(path);
    int fd = ::open(path.data, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        // The folder may have been removed while the program ran.
        ::mkdir(g_dataDir, 0755);
        ::mkdir(g_exceptionDir, 0755);
        fd = ::open(path.data, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (fd < 0)
        return true;

    Text head;
    head.add("Quzmar crash dump\ncause: ");
    head.add(cause);
    if (sig) {
        head.add("\nsignal: ");
        head.addNumber(static_cast<unsigned long>(sig));
        head.add(" (");
        head.add(signalName(sig));
        head.add(")\ncode: ");
        head.addNumber(static_cast<unsigned long>(code));
        head.add("\naddress: ");
        head.addHex(address);
    }
    head.add("\npid: ");
    head.addNumber(static_cast<unsigned long>(::getpid()));
    head.add("\n");
    writeAll(fd, head.data, head.size);
    if (detail) {
        writeAll(fd, "detail: ", 8);
        writeAll(fd, detail, ::strlen(detail));
        writeAll(fd, "\n", 1);
    }
    writeAll(fd, "backtrace:\n", 11);
    void *frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, fd);
    ::close(fd);
    return true;
}

void fatalSignalHandler(int sig, siginfo_t *info, void *)
{
    if (!writeDump("fatal signal", sig, info ? info->si_code : 0,
                   info ? info->si_addr : nullptr, nullptr)) {
        // Another thread is writing the dump and will end the process.
        for (;;) {
            const timespec wait = {1, 0};
            ::nanosleep(&wait, nullptr);
        }
    }
    // End the process as the signal would have without us.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void terminateHandler()
{
    // Not a signal context: naming the escaped exception is safe here.
    char detail[400] = "no active exception";
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception &e) {
            const std::type_info *type = abi::__cxa_current_exception_type();
            std::snprintf(detail, sizeof detail, "uncaught %s: %s",
                          type ? type->name() : "std::exception", e.what());
        } catch (...) {
            const std::type_info *type = abi::__cxa_current_exception_type();
            std::snprintf(detail, sizeof detail, "uncaught %s",
                          type ? type->name() : "exception");
        }
    }
    writeDump("std::terminate", 0, 0, nullptr, detail);
    // The dump is written: abort without writing a second one.
    ::signal(SIGABRT, SIG_DFL);
    std::abort();
}

void copyPath(char *target, size_t size, const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    const size_t n = qMin(size - 1, size_t(encoded.size()));
    std::memcpy(target, encoded.constData(), n);
    target[n] = 0;
}

} // namespace

void CrashHandler::install()
{
    copyPath(g_dataDir, sizeof g_dataDir, userDataDir());
    copyPath(g_exceptionDir, sizeof g_exceptionDir, userDataDir() + QStringLiteral("/Exception"));

    const time_t now = ::time(nullptr);
    tm local;
    ::localtime_r(&now, &local);
    g_utcOffset = local.tm_gmtoff;

    if (g_installed)
        return;
    g_installed = true;

    // backtrace() loads its unwinder on first use, which allocates: do it
    // now rather than inside the handler.
    void *warmUp[4];
    ::backtrace(warmUp, 4);

    // A stack overflow leaves no stack to run the handler on. The alternate
    // stack belongs to the installing thread (the GUI thread); other threads
    // run the handler on their own stacks.
    static char alternateStack[64 * 1024];
    stack_t stack;
    std::memset(&stack, 0, sizeof stack);
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = fatalSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : kFatalSignals)
        ::sigaction(sig, &action, nullptr);

    std::set_terminate(terminateHandler);
}
