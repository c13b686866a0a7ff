// SPDX-License-Identifier: GPL-3.0-or-later
// A process's resident memory as the kernel counts it, for the benchmarks that print it.
#pragma once

#include <fstream>
#include <string>

namespace bench {

// VmRSS of process `pid` ("self" for this one), in MB; negative when it cannot be read.
inline double ResidentMb(const std::string& pid = "self") {
    std::ifstream status("/proc/" + pid + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(4096, '\n');
    }
    return -1.0;
}

}  // namespace bench
