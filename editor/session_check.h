// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a session's text in the background, as `check` does, once typing has paused: the
// reader, the check of every voice against the rate, the mix file, and the timeline the
// picture and the player use. A file of 100000 entries takes a while to read; typing never
// waits for it. Only the newest text's result is reported; older ones are dropped.
#pragma once

#include <QTimer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"
#include "player/play_item.h"
#include "session/reader.h"

namespace editor {

struct CheckResult {
    std::vector<session::Problem> problems;
    // What plays and is drawn: set when there are no problems.
    std::shared_ptr<const player::PlayItem> item;
};

class SessionCheck : public plat::CWnd {
  public:
    // `text` gives the text as it stands, when a check starts; `done` is called on the
    // user-interface thread with the newest text's result.
    SessionCheck(std::function<std::string()> text, std::function<void(const CheckResult&)> done);
    ~SessionCheck() override;

    // The text changed; its name is the file's (its folder is where -m counts from). It is
    // taken and read once it has not changed for `delayMs`: a keystroke copies nothing.
    void TextChanged(std::string name, int delayMs = 300);
    // Reads what was last given without waiting for the pause.
    void CheckNow();
    // Whether a text given is still to be reported.
    bool Pending() const { return m_pending; }

    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;

  private:
    struct Job {
        std::string text;
        std::string name;
        int generation = 0;
    };
    void work();

    std::function<std::string()> m_text;
    std::function<void(const CheckResult&)> m_done;
    QTimer m_pause;
    Job m_next;  // user-interface thread: the newest text
    bool m_pending = false;

    std::mutex m_mutex;  // guards what follows, shared with the worker
    std::condition_variable m_wake;
    std::optional<Job> m_job;             // to read
    std::optional<CheckResult> m_result;  // read, for m_resultGeneration
    int m_resultGeneration = -1;
    bool m_quit = false;
    std::thread m_worker;  // last, so that it starts after everything it uses
};

}  // namespace editor
