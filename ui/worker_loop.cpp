#include "ui/worker_loop.h"

#include <wx/evtloop.h>
#include <wx/timer.h>

#include <thread>

namespace {

// Calls its function at each expiry.
class FunctionTimer : public wxTimer {
public:
    explicit FunctionTimer(const std::function<void()>& fn) : m_fn(fn) {}
    void Notify() override {
        if (m_fn) m_fn();
    }

private:
    const std::function<void()>& m_fn;
};

}  // namespace

void WorkerLoop::Run(const std::function<void()>& work, const std::function<void()>& onTick,
                     std::chrono::milliseconds interval) {
    wxCHECK_RET(wxIsMainThread() && !Running(), "WorkerLoop::Run runs on the window thread, once at a time");
    m_workEnded = false;
    FunctionTimer timer(onTick);
    timer.Start(static_cast<int>(interval.count()));

    std::exception_ptr failure;
    std::jthread worker([this, &work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        CallAfter(&WorkerLoop::OnWorkEnded);
    });
    // The end of the work is an event of this loop; a loop left for any
    // other reason is entered again, since the work may still need the
    // window thread.
    while (!m_workEnded) {
        wxGUIEventLoop loop;
        m_loop = &loop;
        loop.Run();
        m_loop = nullptr;
    }
    worker.join();
    timer.Stop();
    if (failure) std::rethrow_exception(failure);
}

void WorkerLoop::OnWorkEnded() {
    m_workEnded = true;
    // Events of this handler are only handled inside Run's loop (or a loop
    // nested in it), so the loop is running.
    if (m_loop) m_loop->ScheduleExit();
}

void WorkerLoop::OnWindowThread(const std::function<void()>& fn) {
    std::exception_ptr failure;
    {
        const std::lock_guard lock(m_handOverMutex);
        m_handedOverDone = false;
    }
    CallAfter([this, &fn, &failure] {
        try {
            fn();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(m_handOverMutex);
            m_handedOverDone = true;
        }
        m_handOverDone.notify_one();
    });
    std::unique_lock lock(m_handOverMutex);
    m_handOverDone.wait(lock, [this] { return m_handedOverDone; });
    lock.unlock();
    if (failure) std::rethrow_exception(failure);
}
