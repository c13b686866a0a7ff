// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window.h"

#include "platform/message_queue.h"

namespace plat {
namespace {
HWND g_mainWindow = 0;
}  // namespace

void SetMainWindowHandle(HWND hwnd) {
    g_mainWindow = hwnd;
}
HWND MainWindowHandle() {
    return g_mainWindow;
}

CWnd::~CWnd() {
    DestroyWindow();
}

BOOL CWnd::CreateHidden(const char* title, HWND parent) {
    if (m_hWnd != 0) {
        return FALSE;
    }
    m_title = title;
    m_hParent = parent;
    m_hWnd = detail::registerWindow(this);
    return m_hWnd != 0 ? TRUE : FALSE;
}

void CWnd::DestroyWindow() {
    if (m_hWnd != 0) {
        detail::unregisterWindow(m_hWnd);
        m_hWnd = 0;
    }
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return plat::PostMessage(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}

}  // namespace plat
