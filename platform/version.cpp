// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/version.h"

#include <mutex>

#include "platform/pc_speaker.h"
#include "platform/seams.h"

namespace plat {
namespace {
std::mutex g_mutex;
seams::VersionQuery g_query;
}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    seams::VersionQuery query;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        query = g_query;
    }
    if (query) {
        return query(info);
    }
    if (info == nullptr || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                            info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
        return FALSE;
    }
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 10;
    info->dwBuildNumber = 0;
    info->dwPlatformId =
        PcSpeakerDeviceWritable() ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

void seams::SetVersionQuery(VersionQuery query) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_query = std::move(query);
}

}  // namespace plat
