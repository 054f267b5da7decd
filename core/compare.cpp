#include "core/compare.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "core/mbtext.h"
#include "core/name_match.h"
#include "core/reached_directory.h"
#include "core/temp_name.h"

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

// Whether name ends in one of the (upper-cased) masks.
bool Masked(std::string_view name, const std::vector<std::string>& masks) {
    return std::any_of(masks.begin(), masks.end(), [&](const std::string& m) { return EndsWithUpper(name, m); });
}

// A relative path: rel, a '/' unless rel is empty, and name. The separator
// is '/' on every platform, so that a report reads the same everywhere.
std::string RelativePath(std::string_view rel, std::string_view name) {
    std::string path;
    path.reserve(rel.size() + 1 + name.size());
    path.append(rel);
    if (!rel.empty()) path.push_back('/');
    path.append(name);
    return path;
}

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

// One directory of a side as the comparison needs it: its files with their
// stamps and its subdirectories, the ones that take part as views into the
// listings' buffers.
struct Level {
    std::string rel;   // below the side's directory, '/' between names; empty for the directory itself
    std::string path;  // the same as one path, for messages
    int error = 0;     // errno of a listing that failed
    FileListing files;
    FileListing subdirs;
    std::vector<std::string_view> names;     // kept files, listing order
    std::vector<std::uint32_t> kept;         // their places in files
    std::vector<std::string_view> dirNames;  // kept subdirectories, listing order
    std::vector<std::size_t> children;       // their levels in the side's tree
    std::vector<std::string> leftovers;      // temporary files of copies that died

    const FileStamp& Stamp(std::size_t i) const { return files.Stamp(kept[i]); }

    // Lists the directory, reached from the side's open directory without
    // links, and keeps what takes part: the copy's temporary files and names
    // that end in one of the masks are dropped.
    void Load(FileSystem& fs, const ReachedDirectory& top, const std::vector<std::string>& masks, bool withSubdirs,
              ListingState& state) {
        if (state.Stopped()) {
            error = ECANCELED;
            return;
        }
        errno = 0;
        std::unique_ptr<ReachedDirectory> below;
        if (!rel.empty()) below = std::make_unique<ReachedDirectory>(fs, top, rel);
        const ReachedDirectory& dir = below ? *below : top;
        if (dir.error() != 0) {
            error = dir.error();
            return;
        }
        if (!fs.ListFilesIn(dir.handle(), dir.path(), files, withSubdirs ? &subdirs : nullptr, state.StopFlag())) {
            error = errno != 0 ? errno : EIO;
            return;
        }
        state.Listed(path, files.size());
        names.reserve(files.size());
        kept.reserve(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string_view name = files.Name(i);
            // A copy's temporary file, in progress or left by a copy that
            // died, never takes part; an ordinary file of such a name does.
            if (IsCopyTempName(name)) {
                const CopyTempState state = ProbeCopyTemp(fs, dir, std::string(name));
                if (state == CopyTempState::Leftover) leftovers.emplace_back(name);
                if (state != CopyTempState::NotOurs) continue;
            }
            if (Masked(name, masks)) continue;
            names.push_back(name);
            kept.push_back(static_cast<std::uint32_t>(i));
        }
        // A masked directory leaves out everything below it.
        for (std::size_t i = 0; i < subdirs.size(); ++i)
            if (!Masked(subdirs.Name(i), masks)) dirNames.push_back(subdirs.Name(i));
    }
};

// One directory of a pair, and with the pair's subfolder option the whole
// tree below it. Levels live in a deque: the views of a level point into
// its listings, which must not move.
// When other lies inside the tree below dir, its path as a walk from dir
// spells it; otherwise empty.
std::string NestedDirectory(FileSystem& fs, const std::string& dir, const std::string& other) {
    std::string realDir, realOther;
    if (!fs.RealPath(dir, realDir) || !fs.RealPath(other, realOther)) return {};
    if (realDir.empty() || realDir.back() != kPathSeparator) realDir.push_back(kPathSeparator);
    if (realOther.size() <= realDir.size() || realOther.compare(0, realDir.size(), realDir) != 0) return {};
    return JoinPath(dir, std::string_view(realOther).substr(realDir.size()));
}

struct Side {
    std::string dir;
    std::string otherDir;  // the pair's other directory
    bool tree = false;
    int granularity = 1;
    std::deque<Level> levels;  // levels[0] is dir itself

    int error() const { return levels.empty() ? 0 : levels.front().error; }

    // Lists dir and, for a tree, every subdirectory below it, breadth first.
    // A subdirectory that cannot be listed keeps its error for the
    // comparison to report; the rest is still listed.
    void Load(FileSystem& fs, const std::vector<std::string>& masks, ListingState& state) {
        const ReachedDirectory top(fs, dir);
        levels.emplace_back().path = dir;
        std::string nested;
        for (std::size_t i = 0; i < levels.size() && !state.Stopped(); ++i) {
            Level& level = levels[i];  // deque: stays valid while levels grow
            level.Load(fs, top, masks, tree, state);
            if (i == 0) {
                if (level.error != 0) return;
                granularity = fs.TimeGranularity(dir);
                if (tree) nested = NestedDirectory(fs, dir, otherDir);
            }
            // The pair's other directory, when it lies in this tree, is not
            // part of it: each run would copy it into itself one level deeper.
            if (!nested.empty())
                std::erase_if(level.dirNames,
                              [&](std::string_view name) { return JoinPath(level.path, name) == nested; });
            level.children.reserve(level.dirNames.size());
            for (const std::string_view name : level.dirNames) {
                level.children.push_back(levels.size());
                Level& child = levels.emplace_back();
                child.rel = RelativePath(level.rel, name);
                child.path = JoinPath(level.path, name);
            }
        }
    }

    void Release() { std::deque<Level>().swap(levels); }
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
    SideLoader(FileSystem& fs, std::vector<PairSides>& pairs, int workers, ListingState& state)
        : m_fs(fs), m_pairs(pairs), m_state(state), m_done(pairs.size() * 2, false), m_errors(pairs.size() * 2) {
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

    // Waits until side `task` (pair * 2 + 0 for A, + 1 for B) is loaded,
    // reporting progress and taking stop requests meanwhile.
    void Wait(std::size_t task) {
        std::unique_lock lock(m_mutex);
        while (!m_done[task]) {
            // Short enough for a stop to reach a listing in progress at once.
            if (m_changed.wait_for(lock, kPollInterval, [&] { return static_cast<bool>(m_done[task]); })) break;
            lock.unlock();
            m_state.Poll();
            lock.lock();
        }
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
                SideOf(task).Load(m_fs, m_pairs[task / 2].masks, m_state);
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

    static constexpr std::chrono::milliseconds kPollInterval{20};

    FileSystem& m_fs;
    std::vector<PairSides>& m_pairs;
    ListingState& m_state;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_done;
    std::vector<std::exception_ptr> m_errors;
    std::vector<std::jthread> m_threads;  // last: joined before the rest goes
};

// The longest relative path an entry can hold.
constexpr std::size_t kMaxEntryPath = DIFF_NAME_LEN - 1;

// Whether the levels below (and including) `level` hold any file that takes
// part, or a folder that could not be listed and so might.
bool HasFiles(const Side& side, std::size_t level) {
    std::vector<std::size_t> pending{level};
    while (!pending.empty()) {
        const Level& l = side.levels[pending.back()];
        pending.pop_back();
        if (!l.names.empty() || l.error != 0) return true;
        pending.insert(pending.end(), l.children.begin(), l.children.end());
    }
    return false;
}

constexpr std::size_t kNoLevel = SIZE_MAX;

// Pairs the names of a directory's two sides (null where a side lacks the
// directory): onA(i, partner or kNoPartner) for each name of A in order, then
// onlyB(j) for each name of B left without a partner.
template <class OnA, class OnlyB>
void ForEachMatch(const std::vector<std::string_view>* a, const std::vector<std::string_view>* b, OnA onA,
                  OnlyB onlyB) {
    const std::size_t sizeA = a ? a->size() : 0, sizeB = b ? b->size() : 0;
    const std::vector<std::uint32_t> partner =
        a && b ? MatchNames(*a, *b) : std::vector<std::uint32_t>(sizeA, kNoPartner);
    std::vector<bool> matchedB(sizeB, false);
    for (std::size_t i = 0; i < sizeA; ++i) {
        if (partner[i] != kNoPartner) matchedB[partner[i]] = true;
        onA(i, partner[i]);
    }
    for (std::size_t j = 0; j < sizeB; ++j)
        if (!matchedB[j]) onlyB(j);
}

class Comparison {
public:
    Comparison(DiffTable& diffs, CompareSummary& summary, RunObserver& observer, const EntrySkipFn& skip)
        : m_diffs(diffs), m_summary(summary), m_observer(observer), m_skip(skip) {}

    // Both sides are listed. Entries are named by their paths relative to
    // the pair's directories; at the top level that is the plain name.
    void ComparePair(int p, const Side& a, const Side& b) {
        m_pair = p;
        m_a = &a;
        m_b = &b;
        m_granularity = std::max(a.granularity, b.granularity);
        CompareLevel(0, 0, "", "");
    }

private:
    // One directory level: its files, A's in listing order and then those
    // only in B, and then each subdirectory in the same order, depth first.
    // la or lb is kNoLevel where only the other side has the directory;
    // relA and relB spell its path as each side does (as the other side does
    // where a side lacks it), so that a copy lands in the directory that is
    // there.
    void CompareLevel(std::size_t la, std::size_t lb, const std::string& relA, const std::string& relB) {
        const Level* a = la == kNoLevel ? nullptr : &m_a->levels[la];
        const Level* b = lb == kNoLevel ? nullptr : &m_b->levels[lb];
        if (a && a->error != 0) return Fail(PairSide::A, relA, relB, a->error);
        if (b && b->error != 0) return Fail(PairSide::B, relA, relB, b->error);
        if (!Fits(a, b, relA, relB)) {
            // Nothing below can be named in a row; say so unless there is
            // nothing to name.
            const bool filesA = a && HasFiles(*m_a, la), filesB = b && HasFiles(*m_b, lb);
            if (filesA || filesB) Fail(filesA ? PairSide::A : PairSide::B, relA, relB, ENAMETOOLONG);
            return;
        }
        CompareFiles(a, b, relA, relB);
        ForEachMatch(
            a ? &a->dirNames : nullptr, b ? &b->dirNames : nullptr,
            [&](std::size_t i, std::uint32_t j) {
                const std::string_view nameB = j == kNoPartner ? a->dirNames[i] : b->dirNames[j];
                CompareLevel(a->children[i], j == kNoPartner ? kNoLevel : b->children[j],
                             RelativePath(relA, a->dirNames[i]), RelativePath(relB, nameB));
            },
            [&](std::size_t j) {
                const std::string_view name = b->dirNames[j];
                CompareLevel(kNoLevel, b->children[j], RelativePath(relA, name), RelativePath(relB, name));
            });
    }

    void CompareFiles(const Level* a, const Level* b, const std::string& relA, const std::string& relB) {
        ForEachMatch(
            a ? &a->names : nullptr, b ? &b->names : nullptr,
            [&](std::size_t i, std::uint32_t j) {
                if (j == kNoPartner) {
                    Append(relA, a->names[i], relB, a->names[i], a->Stamp(i), nullptr);
                    return;
                }
                const FileStamp& sa = a->Stamp(i);
                const FileStamp& sb = b->Stamp(j);
                // The same time and the same size: in step. The same time
                // but another size: the two differ all the same.
                if (!SameModTime(sa.mtime, sb.mtime, m_granularity) || sa.size != sb.size)
                    Append(relA, a->names[i], relB, b->names[j], sa, &sb);
            },
            [&](std::size_t j) { AppendOnlyB(relA, relB, b->names[j], b->Stamp(j)); });
    }

    // Whether two files whose times are equal within the file systems' step
    // can still be told apart by their fractions of a second: only where
    // both keep them (a whole-second time may stand for any moment of its
    // second) and both lie in the same second.
    bool CanTellNewer(const FileStamp& a, const FileStamp& b) const {
        return m_granularity <= 1 && a.mtime == b.mtime && a.mtimeNsec != 0 && b.mtimeNsec != 0 &&
               a.mtimeNsec != b.mtimeNsec;
    }

    // Whether the path of every file of this level fits an entry, as either
    // side spells it.
    static bool Fits(const Level* a, const Level* b, const std::string& relA, const std::string& relB) {
        const std::size_t rel = std::max(relA.size(), relB.size()) + (relA.empty() ? 0 : 1);
        if (rel >= kMaxEntryPath) return false;
        for (const Level* l : {a, b}) {
            if (!l) continue;
            for (const std::string_view name : l->names)
                if (name.size() > kMaxEntryPath - rel) return false;
        }
        return true;
    }

    void Fail(PairSide side, const std::string& relA, const std::string& relB, int error) {
        std::string pathA = relA.empty() ? m_a->dir : JoinPath(m_a->dir, relA);
        std::string pathB = relB.empty() ? m_b->dir : JoinPath(m_b->dir, relB);
        if (side == PairSide::A) m_observer.OnListingFailure({m_pair, side, std::move(pathA), std::move(pathB), error});
        else m_observer.OnListingFailure({m_pair, side, std::move(pathB), std::move(pathA), error});
    }

    // A file in A (stampB: with its partner nameB in B).
    void Append(const std::string& relA, std::string_view nameA, const std::string& relB, std::string_view nameB,
                const FileStamp& stampA, const FileStamp* stampB) {
        const std::string pathA = RelativePath(relA, nameA);
        const std::string pathB = RelativePath(relB, nameB);
        // B's spelling is kept where the file is in B, as at the top level,
        // and wherever it differs: the copy writes to that path in B.
        const bool inB = stampB != nullptr;
        DiffEntry* e = Store(pathA, inB || pathB != pathA ? std::string_view(pathB) : std::string_view());
        if (!e) return;
        e->inA = true;
        e->timeA = stampA.mtime;
        e->stampA = stampA;
        if (inB) {
            e->inB = true;
            e->timeB = stampB->mtime;
            e->stampB = *stampB;
            e->undecided = SameModTime(stampA.mtime, stampB->mtime, m_granularity) && !CanTellNewer(stampA, *stampB);
        }
    }

    // A file only in B, named by A's spelling of its directory.
    void AppendOnlyB(const std::string& relA, const std::string& relB, std::string_view name, const FileStamp& stamp) {
        const std::string pathA = RelativePath(relA, name);
        const std::string pathB = RelativePath(relB, name);
        DiffEntry* e = Store(pathA, pathB != pathA ? std::string_view(pathB) : std::string_view());
        if (!e) return;
        e->inB = true;
        e->timeB = stamp.mtime;
        e->stampB = stamp;
    }

    // A new entry of the pair with its names, or null once the table is
    // full: the rest is still compared so that the user can be told how
    // much is missing. Null too for an entry the caller has dealt with
    // already, which is neither stored nor counted.
    DiffEntry* Store(std::string_view name, std::string_view nameB) {
        if (m_skip && m_skip(m_pair, name)) return nullptr;
        if (m_diffs.count >= MAX_DIFFS) {
            ++m_summary.omitted[m_pair];
            return nullptr;
        }
        DiffEntry& e = m_diffs.entries[m_diffs.count];
        e.pairIndex = static_cast<std::uint8_t>(m_pair);
        CopyText(e.name, sizeof e.name, name);
        CopyText(e.nameB, sizeof e.nameB, nameB);
        ++m_diffs.count;
        return &e;
    }

    DiffTable& m_diffs;
    CompareSummary& m_summary;
    RunObserver& m_observer;
    const EntrySkipFn& m_skip;
    int m_pair = 0;
    const Side* m_a = nullptr;
    const Side* m_b = nullptr;
    int m_granularity = 1;
};

// The leftovers that the side's listing found, for a copy to remove.
void CollectLeftovers(int pair, PairSide side, const Side& s, CompareSummary& summary) {
    for (const Level& level : s.levels)
        for (const std::string& name : level.leftovers)
            if (summary.leftovers.size() < kMaxLeftovers) summary.leftovers.push_back({pair, side, level.rel, name});
}

}  // namespace

CompareSummary CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs, RunObserver& observer,
                          const CompareOptions& options) {
    CompareSummary summary;
    std::memset(&diffs, 0, sizeof diffs);
    const int count = std::clamp(pairs.count, 0, MAX_DIR_PAIRS);
    std::vector<PairSides> sides(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) {
        sides[p].a.dir = FieldText(pairs.pairs[p].dirA);
        sides[p].b.dir = FieldText(pairs.pairs[p].dirB);
        sides[p].a.tree = sides[p].b.tree = pairs.pairs[p].subdirs;
        sides[p].a.otherDir = sides[p].b.dir;
        sides[p].b.otherDir = sides[p].a.dir;
        sides[p].masks = UpperMasks(pairs.pairs[p]);
    }
    const int workers = options.workers > 0 ? options.workers : DefaultCompareWorkers();
    // One thread lists in the caller's order and lists B only when A could be
    // listed; more threads list ahead, B along with A.
    ListingState state(observer, workers <= 1);
    std::unique_ptr<SideLoader> loader;
    if (workers > 1 && count > 0) loader = std::make_unique<SideLoader>(fs, sides, workers, state);

    Comparison comparison(diffs, summary, observer, options.skip);
    for (int p = 0; p < count; ++p) {
        PairSides& s = sides[p];
        // Failures are reported here, on the calling thread, in pair order; a
        // full table records nothing more, but every later pair is still
        // compared: a directory that cannot be read is reported, and what does
        // not fit is counted. After a stop nothing more is reported: what
        // was not listed is no failure.
        if (loader) loader->Wait(2 * static_cast<std::size_t>(p)); else s.a.Load(fs, s.masks, state);
        if ((summary.stopped = state.Stopped())) break;
        if (s.a.error() != 0) {
            observer.OnListingFailure({p, PairSide::A, s.a.dir, s.b.dir, s.a.error()});
            s.a.Release();
            continue;
        }
        if (loader) loader->Wait(2 * static_cast<std::size_t>(p) + 1); else s.b.Load(fs, s.masks, state);
        if ((summary.stopped = state.Stopped())) break;
        CollectLeftovers(p, PairSide::A, s.a, summary);
        CollectLeftovers(p, PairSide::B, s.b, summary);
        if (s.b.error() != 0) {
            observer.OnListingFailure({p, PairSide::B, s.b.dir, s.a.dir, s.b.error()});
        } else {
            comparison.ComparePair(p, s.a, s.b);
        }
        s.a.Release();
        s.b.Release();
    }
    loader.reset();
    state.Report();
    return summary;
}
