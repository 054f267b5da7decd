#include "core/compare.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "core/mbtext.h"
#include "core/name_match.h"
#include "core/temp_name.h"

int ListFiles(FileSystem& fs, const std::string& dir, std::vector<std::string>& names) {
    std::vector<DirEntry> entries;
    errno = 0;
    if (!fs.ListDirectory(dir, entries)) return errno != 0 ? errno : EIO;
    names.clear();
    names.reserve(entries.size());
    for (auto& e : entries) {
        // A copy that was killed leaves its temporary file behind; nobody
        // else would ever remove it.
        if (IsCopyTempName(e.name) && RemoveDeadCopyTemp(fs, dir, e.name)) continue;
        if (e.isFile) names.push_back(std::move(e.name));
    }
    return 0;
}

int DefaultCompareWorkers() {
    // Listing waits on the disk (or the network) more than on the processor:
    // a few more threads than cores keep slow mounts from idling the rest.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<int>(std::min(cores + 2, 16u));
}

namespace {

// The upper-cased masks of a pair; the list ends at the first empty slot.
std::vector<std::string> UpperMasks(const DirPair& pair) {
    std::vector<std::string> masks;
    for (int m = 0; m < MAX_MASKS && pair.masks[m][0] != 0; ++m)
        masks.push_back(MbUpper(FieldText(pair.masks[m])));
    return masks;
}

// One directory of a pair as the comparison needs it: its files with their
// times, and the ones that take part (views into the listing's buffer).
struct Side {
    std::string dir;
    int error = 0;  // errno of a listing that failed
    int granularity = 1;
    FileListing listing;
    std::vector<std::string_view> names;  // kept names, listing order
    std::vector<FileTime> times;          // their times

    // Lists the directory and keeps what takes part: leftover temporary
    // files of the copy and names that end in one of the masks are dropped.
    void Load(FileSystem& fs, const std::vector<std::string>& masks) {
        errno = 0;
        if (!fs.ListFilesWithTimes(dir, listing)) {
            error = errno != 0 ? errno : EIO;
            return;
        }
        granularity = fs.TimeGranularity(dir);
        names.reserve(listing.size());
        times.reserve(listing.size());
        for (std::size_t i = 0; i < listing.size(); ++i) {
            const std::string_view name = listing.Name(i);
            // Temporary files of the copy never take part; one that a killed
            // copy left behind is removed, nobody else would ever do so.
            if (IsCopyTempName(name)) {
                RemoveDeadCopyTemp(fs, dir, name);
                continue;
            }
            if (std::any_of(masks.begin(), masks.end(), [&](const std::string& m) { return EndsWithUpper(name, m); }))
                continue;
            names.push_back(name);
            times.push_back(listing.Time(i));
        }
    }

    void Release() {
        FileListing().Swap(listing);
        std::vector<std::string_view>().swap(names);
        std::vector<FileTime>().swap(times);
    }
};

struct PairSides {
    Side a;
    Side b;
    std::vector<std::string> masks;
};

// Loads the sides on a small fixed set of threads, in the order in which the
// comparison takes them, and hands each one over once it is complete. A
// failure inside a thread (out of memory) is passed to the caller.
class SideLoader {
public:
    SideLoader(FileSystem& fs, std::vector<PairSides>& pairs, int workers)
        : m_fs(fs), m_pairs(pairs), m_done(pairs.size() * 2, false), m_errors(pairs.size() * 2) {
        const std::size_t tasks = m_done.size();
        const std::size_t threads = std::min<std::size_t>(tasks, static_cast<std::size_t>(std::max(workers, 1)));
        m_threads.reserve(threads);
        for (std::size_t t = 0; t < threads; ++t)
            m_threads.emplace_back([this](std::stop_token stop) { Work(stop); });
    }

    // Stops claiming new sides; the destructor of each thread joins it.
    ~SideLoader() {
        m_next.store(m_done.size());
        for (auto& t : m_threads) t.request_stop();
    }

    // Waits until side `task` (pair * 2 + 0 for A, + 1 for B) is loaded.
    void Wait(std::size_t task) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return static_cast<bool>(m_done[task]); });
        if (m_errors[task]) std::rethrow_exception(m_errors[task]);
    }

private:
    Side& SideOf(std::size_t task) {
        PairSides& p = m_pairs[task / 2];
        return task % 2 == 0 ? p.a : p.b;
    }

    void Work(const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            const std::size_t task = m_next.fetch_add(1);
            if (task >= m_done.size()) return;
            std::exception_ptr error;
            try {
                SideOf(task).Load(m_fs, m_pairs[task / 2].masks);
            } catch (...) {
                error = std::current_exception();
            }
            {
                const std::lock_guard lock(m_mutex);
                m_done[task] = true;
                m_errors[task] = error;
            }
            m_changed.notify_all();
        }
    }

    FileSystem& m_fs;
    std::vector<PairSides>& m_pairs;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_done;
    std::vector<std::exception_ptr> m_errors;
    std::vector<std::jthread> m_threads;  // last: joined before the rest goes
};

class Comparison {
public:
    Comparison(DiffTable& diffs, CompareSummary& summary) : m_diffs(diffs), m_summary(summary) {}

    void ComparePair(int p, const Side& a, const Side& b) {
        const int granularity = std::max(a.granularity, b.granularity);
        const std::vector<std::uint32_t> partner = MatchNames(a.names, b.names);
        std::vector<bool> matchedB(b.names.size(), false);
        for (std::size_t i = 0; i < a.names.size(); ++i) {
            const std::uint32_t j = partner[i];
            if (j == kNoPartner) {
                Append(p, a.names[i], "", true, a.times[i], false, 0);
                continue;
            }
            matchedB[j] = true;
            if (!SameModTime(a.times[i], b.times[j], granularity))
                Append(p, a.names[i], b.names[j], true, a.times[i], true, b.times[j]);
        }
        for (std::size_t j = 0; j < b.names.size(); ++j)
            if (!matchedB[j]) Append(p, b.names[j], "", false, 0, true, b.times[j]);
    }

private:
    // Stores the entry, or counts it for the pair once the table is full: the
    // rest is still compared so that the user can be told how much is missing.
    void Append(int p, std::string_view name, std::string_view nameB, bool inA, FileTime timeA, bool inB,
                FileTime timeB) {
        if (m_diffs.count >= MAX_DIFFS) {
            ++m_summary.omitted[p];
            return;
        }
        DiffEntry& e = m_diffs.entries[m_diffs.count];
        e.pairIndex = static_cast<std::uint8_t>(p);
        CopyText(e.name, sizeof e.name, name);
        CopyText(e.nameB, sizeof e.nameB, nameB);
        e.timeA = timeA;
        e.timeB = timeB;
        e.inA = inA;
        e.inB = inB;
        ++m_diffs.count;
    }

    DiffTable& m_diffs;
    CompareSummary& m_summary;
};

}  // namespace

CompareSummary CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs,
                          const ListingFailureHandler& onListingFailure, int workers) {
    CompareSummary summary;
    std::memset(&diffs, 0, sizeof diffs);
    const int count = std::clamp(pairs.count, 0, MAX_DIR_PAIRS);
    std::vector<PairSides> sides(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) {
        sides[p].a.dir = FieldText(pairs.pairs[p].dirA);
        sides[p].b.dir = FieldText(pairs.pairs[p].dirB);
        sides[p].masks = UpperMasks(pairs.pairs[p]);
    }
    if (workers <= 0) workers = DefaultCompareWorkers();
    // One thread lists in the caller's order and lists B only when A could be
    // listed; more threads list ahead, B along with A.
    std::unique_ptr<SideLoader> loader;
    if (workers > 1 && count > 0) loader = std::make_unique<SideLoader>(fs, sides, workers);

    Comparison comparison(diffs, summary);
    for (int p = 0; p < count; ++p) {
        PairSides& s = sides[p];
        // Failures are reported here, on the calling thread, in pair order; a
        // full table records nothing more, but every later pair is still
        // compared: a directory that cannot be read is reported, and what does
        // not fit is counted.
        if (loader) loader->Wait(2 * static_cast<std::size_t>(p)); else s.a.Load(fs, s.masks);
        if (s.a.error != 0) {
            if (onListingFailure) onListingFailure({p, PairSide::A, s.a.dir, s.b.dir, s.a.error});
            s.a.Release();
            continue;
        }
        if (loader) loader->Wait(2 * static_cast<std::size_t>(p) + 1); else s.b.Load(fs, s.masks);
        if (s.b.error != 0) {
            if (onListingFailure) onListingFailure({p, PairSide::B, s.b.dir, s.a.dir, s.b.error});
        } else {
            comparison.ComparePair(p, s.a, s.b);
        }
        s.a.Release();
        s.b.Release();
    }
    return summary;
}
