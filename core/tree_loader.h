// The listing half of a comparison: every folder of every pair's sides, read
// by a pool of threads that share the folders of all sides. A folder's
// subfolders become tasks that any thread may take, so one deep tree keeps
// every thread busy and their waits on the disk overlap. What is loaded, and
// so what the comparison makes of it, is the same for any number of threads.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/reached_directory.h"
#include "core/filesystem.h"
#include "core/run_observer.h"

// A relative path: rel, a '/' unless rel is empty, and name. The separator
// is '/' on every platform, so that a report reads the same everywhere.
std::string RelativePath(std::string_view rel, std::string_view name);

// What the listing threads share with the comparison's own thread: the
// counts for its progress reports and the stop. Any thread may count and
// ask whether to stop; only the comparison's thread reports.
class ListingState {
public:
    ListingState(RunObserver& observer, bool reportWhileListing)
        : m_observer(observer), m_reportWhileListing(reportWhileListing) {}

    // True once the observer asked to stop; the flag stays set.
    bool Stopped() {
        if (m_stop.load(std::memory_order_relaxed)) return true;
        if (!m_observer.StopRequested()) return false;
        m_stop.store(true);
        return true;
    }
    const std::atomic<bool>* StopFlag() const { return &m_stop; }

    // A directory has been listed. Where the comparison's thread lists
    // everything itself, this is where it reports.
    void Listed(const std::string& path, std::size_t files) {
        m_folders.fetch_add(1, std::memory_order_relaxed);
        m_files.fetch_add(files, std::memory_order_relaxed);
        {
            const std::lock_guard lock(m_folderMutex);
            m_folder = path;
        }
        if (m_reportWhileListing) Poll();
    }

    // On the comparison's thread: takes a stop request and reports the
    // counts when a report is due.
    void Poll() {
        Stopped();
        if (Clock::now() - m_lastReport >= kListingProgressInterval) Report();
    }

    void Report() {
        ListingProgress progress;
        progress.folders = m_folders.load(std::memory_order_relaxed);
        progress.files = m_files.load(std::memory_order_relaxed);
        {
            const std::lock_guard lock(m_folderMutex);
            progress.folder = m_folder;
        }
        m_lastReport = Clock::now();
        m_observer.OnListingProgress(progress);
    }

private:
    using Clock = std::chrono::steady_clock;

    RunObserver& m_observer;
    const bool m_reportWhileListing;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_folders{0};
    std::atomic<std::uint64_t> m_files{0};
    std::mutex m_folderMutex;
    std::string m_folder;
    Clock::time_point m_lastReport = Clock::now();
};

// One folder of a side as the comparison needs it: its files with their
// stamps and its subfolders, the ones that take part as views into the
// listings' buffers.
struct Level {
    std::string rel;   // below the side's directory, '/' between names; empty for the directory itself
    std::string path;  // the same as one path, for messages
    int error = 0;     // errno of a listing that failed
    FileListing files;
    FileListing subdirs;
    std::vector<std::string_view> names;     // kept files, listing order
    std::vector<std::uint32_t> kept;         // their places in files
    std::vector<std::string_view> dirNames;  // kept subfolders, listing order
    std::vector<std::size_t> children;       // their levels in the side's tree, in the order of dirNames
    std::vector<std::string> leftovers;      // temporary files of copies that died

    const FileStamp& Stamp(std::size_t i) const { return files.Stamp(kept[i]); }

    // Lists the folder, reached from the side's open directory without
    // links, and keeps what takes part: the copy's temporary files and names
    // that end in one of the masks are dropped, and so are the folders that
    // end in one (with everything below them). After a stop nothing is
    // listed and error is ECANCELED.
    void Load(FileSystem& fs, const ReachedDirectory& top, const std::vector<std::string>& masks, bool withSubdirs,
              ListingState& state);
};

// One directory of a pair and, with the pair's subfolder option, the whole
// tree below it. levels[0] is the directory itself; the others are in no
// particular order (a level's children say which are below it). Levels live
// in a deque: the views of a level point into its listings, which must not
// move while the side grows.
struct Side {
    std::string dir;
    std::string otherDir;  // the pair's other directory
    bool tree = false;
    int granularity = 1;
    std::deque<Level> levels;

    int error() const { return levels.empty() ? 0 : levels.front().error; }
    void Release() { std::deque<Level>().swap(levels); }
};

struct PairSides {
    Side a;
    Side b;
    std::vector<std::string> masks;  // upper-cased
};

// Lists the sides of the pairs, side 2p being pair p's A and 2p + 1 its B.
// With more than one worker the pool lists ahead of the comparison, the
// folders of earlier sides first; with one, nothing is listed until Wait
// asks for a side, and then on the calling thread.
class TreeLoader {
public:
    TreeLoader(FileSystem& fs, std::vector<PairSides>& pairs, int workers, ListingState& state);
    // Stops taking folders; the threads are joined.
    ~TreeLoader();
    TreeLoader(const TreeLoader&) = delete;
    TreeLoader& operator=(const TreeLoader&) = delete;

    // Returns once every folder of the side is listed (or, after a stop,
    // left out), reporting progress and taking stop requests meanwhile. A
    // failure inside a thread (out of memory) is thrown here.
    void Wait(std::size_t side);

private:
    struct Task {
        std::size_t side;
        Level* level;
    };
    struct SideState {
        std::unique_ptr<ReachedDirectory> top;  // open while its folders are listed
        std::string nested;                   // the other directory's path where it lies in this tree
        std::vector<Level*> pending;
        std::size_t outstanding = 0;  // folders pending or being listed
        bool started = false;
        std::exception_ptr error;
    };

    // Lets the threads go once their folders in progress are listed.
    void End();
    Side& SideOf(std::size_t side);
    // Puts the side's directory up as its first task (m_mutex held).
    void Start(std::size_t side);
    // The next task, the earliest side's first (m_mutex held); false when none.
    bool Take(Task& task);
    // Lists one folder with m_mutex let go, then puts up its subfolders as
    // tasks; lock holds m_mutex before and after.
    void Run(std::unique_lock<std::mutex>& lock, const Task& task);
    void Work();

    // How long Wait sleeps between looks at the stop and the progress: short
    // enough for a stop to reach a listing in progress at once.
    static constexpr std::chrono::milliseconds kPollInterval{20};

    FileSystem& m_fs;
    std::vector<PairSides>& m_pairs;
    ListingState& m_state;
    std::mutex m_mutex;
    std::condition_variable m_work;     // a task was put up, or the pool ends
    std::condition_variable m_changed;  // a side was completed
    std::vector<SideState> m_sides;
    bool m_ending = false;
    std::vector<std::jthread> m_threads;  // last: joined before the rest goes
};
