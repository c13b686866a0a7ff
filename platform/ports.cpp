#include "platform/ports.h"

#include <mutex>

#include "platform/pc_speaker.h"

namespace plat {
namespace {
std::mutex g_mutex;
std::vector<testing::PortWrite> g_log;
PitSpeakerBridge g_bridge{PcSpeakerTone};
}  // namespace

void outp(WORD port, BYTE value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.push_back({port, value});
    g_bridge.Write(port, value);
}

namespace testing {
std::vector<PortWrite> PortLog() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_log;
}
void ClearPortLog() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.clear();
}
}  // namespace testing

}  // namespace plat
