#pragma once

#include <fstream>
#include <unistd.h>

// This process's resident memory in MB, as the kernel counts it now.
inline double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
