// Long work (a comparison, a copy) on a worker thread while the window thread
// goes on handling its events: painting, timers and the input of the windows
// that are enabled. The window thread takes what the work reports at its own
// pace (a timer that reads a snapshot), and the work hands over what only the
// window thread may do (a message box) with OnWindowThread, waiting there
// until it is done: boxes come one at a time, in the work's order.
#pragma once

#include <wx/event.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

class wxEventLoopBase;

class WorkerLoop : public wxEvtHandler {
public:
    // How often a running work's progress is taken by the window thread.
    static constexpr std::chrono::milliseconds kTickInterval{100};

    WorkerLoop() = default;
    WorkerLoop(const WorkerLoop&) = delete;
    WorkerLoop& operator=(const WorkerLoop&) = delete;

    // Runs work on a worker thread and returns once it has ended (the
    // thread joined). Meanwhile the calling window thread runs an event loop
    // and calls onTick every interval. An exception that leaves work is
    // thrown again here.
    void Run(const std::function<void()>& work, const std::function<void()>& onTick,
             std::chrono::milliseconds interval = kTickInterval);

    // From inside the work: runs fn on the window thread and returns once fn
    // has returned. An exception from fn is thrown again in the work.
    void OnWindowThread(const std::function<void()>& fn);

    // Whether Run is in progress (window thread).
    bool Running() const { return m_loop != nullptr; }

private:
    void OnWorkEnded();

    wxEventLoopBase* m_loop = nullptr;
    bool m_workEnded = false;
    // The hand-over of OnWindowThread: one call at a time, as the work waits.
    std::mutex m_handOverMutex;
    std::condition_variable m_handOverDone;
    bool m_handedOverDone = false;
};
