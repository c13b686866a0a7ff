// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell.h"

#include <cstring>
#include <mutex>

namespace plat {
namespace {
std::mutex g_mutex;
UrlOpener g_opener;
constexpr std::intptr_t kFileNotFound = 2;
constexpr std::intptr_t kNoAssociation = 31;
constexpr std::intptr_t kDone = 42;
}  // namespace

std::intptr_t ShellExecuteA(HWND, const char* verb, const char* target, const char*, const char*,
                            int) {
    if (target == nullptr || verb == nullptr || std::strcmp(verb, "open") != 0) {
        return kFileNotFound;
    }
    UrlOpener opener;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        opener = g_opener;
    }
    if (!opener) {
        return kNoAssociation;
    }
    opener(target);
    return kDone;
}

void SetUrlOpener(UrlOpener opener) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_opener = std::move(opener);
}

}  // namespace plat
