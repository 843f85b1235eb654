#ifndef CRASHDUMP_H
#define CRASHDUMP_H

// Crash dumps. After install(), a fatal signal (SIGSEGV, SIGBUS, SIGFPE,
// SIGILL, SIGABRT) or an exception that escapes every handler writes a small
// text dump (cause, fault address, backtrace) to
// <user data folder>/Exception/yyyy_MM_dd_hh_mm_ss.dmp (local time) and the
// process then ends the way it would have without the handler.
class CrashHandler
{
public:
    // Installing again only refreshes the dump folder and the clock offset.
    static void install();
};

#endif // CRASHDUMP_H
