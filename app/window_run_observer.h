// What a comparison or a copy on the worker thread reports to the window:
// progress goes into a snapshot that the window thread reads at its ticks,
// failures are handed to the window thread, which shows them while the work
// waits for the answer, and the stop is a flag the window thread sets.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "core/run_observer.h"
#include "ui/worker_loop.h"

class WindowRunObserver : public RunObserver {
public:
    // The copy's three lines and its bar, as the progress window shows them.
    struct CopyState {
        std::string file;  // "<name>を"
        std::string from;  // "<source directory>から"
        std::string to;    // "<destination directory>へ"
        int number = 0;    // the file in progress, counted from 1 among the selected
        std::uint64_t done = 0;
        std::uint64_t total = 0;
        bool operator==(const CopyState&) const = default;
    };
    using ListingFailureHandler = std::function<void(const ListingFailure&)>;
    using CopyFailureHandler = std::function<void(const DiffEntry&, FileCopyResult reason, int error)>;

    explicit WindowRunObserver(WorkerLoop& loop) : m_loop(loop) {}

    // Run on the window thread for each failure, one at a time; the work
    // goes on when they return. Set before the work starts.
    void SetListingFailureHandler(ListingFailureHandler handler) { m_onListingFailure = std::move(handler); }
    void SetCopyFailureHandler(CopyFailureHandler handler) { m_onCopyFailure = std::move(handler); }

    // Window thread: the stop the work sees at its next check.
    void RequestStop() { m_stop.store(true); }
    // Window thread: the latest progress.
    ListingProgress Listing() const;
    CopyState Copy() const;

    void OnListingProgress(const ListingProgress& progress) override;
    void OnListingFailure(const ListingFailure& failure) override;
    void OnFileStart(int row, const DiffEntry& entry, const char* fromDir, const char* toDir) override;
    void OnProgress(std::uint64_t done, std::uint64_t total) override;
    void OnFailure(int row, const DiffEntry& entry, FileCopyResult reason, int error) override;
    bool StopRequested() override { return m_stop.load(); }

private:
    WorkerLoop& m_loop;
    ListingFailureHandler m_onListingFailure;
    CopyFailureHandler m_onCopyFailure;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;  // guards the snapshot below
    ListingProgress m_listing;
    CopyState m_copy;
    // Worker thread only: the row started last, and the last row begun
    // (started, or refused before it started).
    int m_startedRow = -1;
    int m_lastBegunRow = -1;
};
