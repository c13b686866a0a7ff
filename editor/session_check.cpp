// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/session_check.h"

#include "session/clock.h"
#include "session/rate_check.h"
#include "session/session_mix.h"

namespace editor {
namespace {

constexpr plat::UINT kChecked = plat::WM_USER + 40;

CheckResult read(const std::string& text, const std::string& name) {
    CheckResult result;
    session::ReadResult read = session::ReadSessionText(text, name);
    if (!read.session) {
        result.problems = std::move(read.problems);
        return result;
    }
    // At the rate the session plays at, as play and check take it.
    const int rate = session::RateInUse(*read.session);
    result.problems = session::CheckRate(*read.session, rate);
    if (result.problems.empty()) {
        // Only proves the mix file opens: the player opens its own stream.
        const session::OpenedMix mix = session::OpenSessionMix(*read.session, rate);
        if (mix.problem) {
            result.problems.push_back(*mix.problem);
        }
    }
    if (result.problems.empty()) {
        result.item = player::MakePlayItem(std::move(*read.session), rate);
    }
    return result;
}

}  // namespace

SessionCheck::SessionCheck(std::function<std::string()> text,
                           std::function<void(const CheckResult&)> done)
    : m_text(std::move(text)), m_done(std::move(done)), m_worker([this] { work(); }) {
    CreateHidden("session check", 0);
    m_pause.setSingleShot(true);
    QObject::connect(&m_pause, &QTimer::timeout, [this] { CheckNow(); });
}

SessionCheck::~SessionCheck() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void SessionCheck::TextChanged(std::string name, int delayMs) {
    m_next.name = std::move(name);
    ++m_next.generation;
    m_pending = true;
    m_pause.start(delayMs);
}

void SessionCheck::CheckNow() {
    m_pause.stop();
    m_next.text = m_text();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_job = m_next;
    }
    m_wake.notify_all();
}

void SessionCheck::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_job; });
            if (m_quit) {
                return;
            }
            job = std::move(*m_job);
            m_job.reset();
        }
        CheckResult result = read(job.text, job.name);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_result = std::move(result);
            m_resultGeneration = job.generation;
        }
        PostMessage(kChecked, 0, 0);
    }
}

plat::LRESULT SessionCheck::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
    if (msg != kChecked) {
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    std::optional<CheckResult> result;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_resultGeneration != m_next.generation) {
            return 0;  // a newer text is on its way
        }
        result = std::move(m_result);
        m_result.reset();
    }
    if (result) {
        m_pending = false;
        m_done(*result);
    }
    return 0;
}

}  // namespace editor
