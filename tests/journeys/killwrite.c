/* Loaded into the program (LD_PRELOAD) by the journey that kills it while it
 * saves. The n-th write() ($JOURNEY_KILL_WRITE_AT, from 1) into any file in
 * the folder $JOURNEY_KILL_WRITE_IN (temporary files there included) puts
 * half of its bytes into the file and then kills the process with SIGKILL, as
 * a power loss in the middle of that write would. Without the variables it
 * changes nothing. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

typedef ssize_t (*write_fn)(int, const void *, size_t);

static int writes_seen;

static int in_folder(int fd, const char *folder)
{
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return 0;
    path[n] = '\0';
    size_t f = strlen(folder);
    return strncmp(path, folder, f) == 0 && path[f] == '/';
}

ssize_t write(int fd, const void *buf, size_t count)
{
    static write_fn real_write;
    if (!real_write)
        real_write = (write_fn)dlsym(RTLD_NEXT, "write");
    const char *folder = getenv("JOURNEY_KILL_WRITE_IN");
    const char *at = getenv("JOURNEY_KILL_WRITE_AT");
    if (folder && *folder && at && count > 0 && fd > 2 && in_folder(fd, folder)
        && __atomic_add_fetch(&writes_seen, 1, __ATOMIC_SEQ_CST) == atoi(at)) {
        real_write(fd, buf, count / 2);
        kill(getpid(), SIGKILL);
    }
    return real_write(fd, buf, count);
}
