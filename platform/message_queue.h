// SPDX-License-Identifier: GPL-3.0-or-later
// The program's posted-message queue. Any thread may post; the messages are delivered in
// posting order on the thread that owns the Qt application (the user-interface thread).
// A message for a window that no longer exists when its turn comes is dropped.
#pragma once

#include "platform/types.h"

namespace plat {

class CWnd;

// Connects the queue to the Qt event loop of the calling thread, which becomes the
// user-interface thread. Call once, after the Qt application object exists; creating a
// window does it too.
void StartMessageQueue();

// Queues a message for `hwnd`. Safe from any thread; returns FALSE only for the window id
// 0. A message posted before the queue is started waits in it until the user-interface
// thread starts it (or delivers by hand).
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Queues a quit request: when it is delivered, every running event loop of the
// application ends and the application returns `exitCode`.
void PostQuitMessage(int exitCode);

namespace detail {
// Window registry, used by CWnd on the user-interface thread.
HWND registerWindow(CWnd* wnd);
void unregisterWindow(HWND hwnd);
}  // namespace detail

// Delivers every message queued so far, in order (tests use this to pump without an
// event loop). Must run on the user-interface thread.
void DeliverPostedMessages();

}  // namespace plat
