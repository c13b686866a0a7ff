// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/home_page.h"

#include <filesystem>
#include <utility>

#include "platform/shell.h"
#include "platform/system.h"

namespace {

HelpPages g_pages;  // user-interface thread only

std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

}  // namespace

void SetHelpPages(HelpPages pages) {
    g_pages = std::move(pages);
}

void OpenHelpPage(plat::HWND owner) {
    for (const std::string& page : {g_pages.installed, g_pages.source}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(page, error)) {
            plat::ShellExecuteA(owner, "open", ("file://" + page).c_str(), nullptr, nullptr,
                                plat::SW_SHOW);
            return;
        }
    }
    const std::string text = "Cannot open the help: README.md is in neither " +
                             folderOf(g_pages.installed) + " nor " + folderOf(g_pages.source) + ".";
    plat::MessageBeep(plat::MB_ICONEXCLAMATION);
    plat::MessageBoxA(owner, text.c_str(), nullptr, plat::MB_OK | plat::MB_ICONEXCLAMATION);
}
