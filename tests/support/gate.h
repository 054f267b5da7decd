// A gate for a worker thread in a test: the worker's call stops at Pass()
// until the test opens the gate, so the test can look at the window while
// the work stands still at a known point, without waiting for any time.
#pragma once

#include <condition_variable>
#include <mutex>

class Gate {
public:
    Gate() = default;
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    ~Gate() { Open(); }

    // Worker: waits until the gate is open.
    void Pass() {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        --m_waiting;
        ++m_passed;
    }
    void Open() {
        {
            const std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    // Whether a worker waits at the gate now.
    bool Waiting() const {
        const std::lock_guard lock(m_mutex);
        return m_waiting > 0;
    }
    // How many workers went through it.
    int Passed() const {
        const std::lock_guard lock(m_mutex);
        return m_passed;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_waiting = 0;
    int m_passed = 0;
};
