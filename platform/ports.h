// Byte writes to the PC speaker's I/O ports (0x42 timer counter 2, 0x43 timer mode,
// 0x61 speaker gate). Ports are never read. Every write is recorded (tests read the
// record) and then handed to the bridge that sounds the kernel's PC-speaker device.
#pragma once

#include <vector>

#include "platform/types.h"

namespace plat {

void outp(WORD port, BYTE value);

namespace testing {
struct PortWrite {
    WORD port;
    BYTE value;
    bool operator==(const PortWrite&) const = default;
};
std::vector<PortWrite> PortLog();
void ClearPortLog();
}  // namespace testing

}  // namespace plat
