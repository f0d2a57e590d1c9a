#pragma once

#include <QTest>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

// Whether every thread of this process but the caller is blocked in the kernel at this moment.
// A thread that spins (on a hung-up descriptor, say) is never seen so: it is running or
// waiting for a processor.
inline bool OtherThreadsAsleep() {
    const std::string self = std::to_string(::syscall(SYS_gettid));
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks) return false;
    bool asleep = true;
    while (const dirent* entry = ::readdir(tasks)) {
        const std::string tid = entry->d_name;
        if (tid[0] == '.' || tid == self) continue;
        std::string stat;
        std::getline(std::ifstream("/proc/self/task/" + tid + "/stat"), stat);
        const auto name = stat.rfind(')');  // the state follows the name, which may hold blanks
        if (name != std::string::npos && name + 2 < stat.size() && stat[name + 2] == 'R') asleep = false;
    }
    ::closedir(tasks);
    return asleep;
}

// The other threads seen asleep twenty times in a row while this one runs its event loop (about
// 200 ms): nothing is left for them to do, and nothing spins. False when that never came in 5 s.
inline bool OtherThreadsSettle() {
    int inRow = 0;
    return QTest::qWaitFor([&] { return (inRow = OtherThreadsAsleep() ? inRow + 1 : 0) >= 20; }, 5000);
}
