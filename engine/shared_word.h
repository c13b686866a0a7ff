// SPDX-License-Identifier: GPL-3.0-or-later
// A word that the user-interface thread and the timer thread both touch. Each access is
// a single relaxed atomic load or store: readers accept the old or the new value, and
// nothing else is ordered by it.
#pragma once

#include <atomic>

template <typename T>
class SharedWord {
  public:
    SharedWord() = default;
    SharedWord(T value) : m_value(value) {}  // NOLINT: reads like the plain word it replaces
    SharedWord(const SharedWord&) = delete;
    SharedWord& operator=(const SharedWord&) = delete;

    operator T() const { return m_value.load(std::memory_order_relaxed); }
    SharedWord& operator=(T value) {
        m_value.store(value, std::memory_order_relaxed);
        return *this;
    }

  private:
    std::atomic<T> m_value{};
};
