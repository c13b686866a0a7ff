// SPDX-License-Identifier: GPL-3.0-or-later
// A never-shown window that receives device notifications as messages on the
// user-interface thread. Classes that want the notifications derive from it and override
// WindowProc; anything they do not handle goes to DefWindowProc.
#pragma once

#include "platform/types.h"

namespace plat {

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // Creates the hidden window. Must run on the user-interface thread, after the Qt
    // application object exists. `parent` is only recorded.
    BOOL CreateHidden(const char* title, HWND parent);
    void DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetParentHwnd() const { return m_hParent; }
    const char* GetTitle() const { return m_title; }

    BOOL PostMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    HWND m_hWnd = 0;
    HWND m_hParent = 0;
    const char* m_title = "";
};

// The application's main window, parent of the engine's hidden window; 0 when the
// program runs without one (the console front end).
void SetMainWindowHandle(HWND hwnd);
HWND MainWindowHandle();

}  // namespace plat
