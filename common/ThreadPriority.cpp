#include "common/ThreadPriority.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

int CurrentThreadId() { return static_cast<int>(::syscall(SYS_gettid)); }

int NiceValueOf(TThreadPriority priority) {
    static const int nice[] = {19, 10, 5, 0, -5, -10, -15};
    return nice[priority];
}

int ApplyThreadPriority(int threadId, TThreadPriority priority) {
    if (threadId <= 0) return ESRCH;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), NiceValueOf(priority)) == 0 ? 0 : errno;
}
