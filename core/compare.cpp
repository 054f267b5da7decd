#include "core/compare.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>

#include "core/mbtext.h"
#include "core/name_match.h"
#include "core/tree_loader.h"

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

// The leftovers that the side's listing found, for a copy to remove, folder
// by folder breadth first: the order, and so which ones fit, is the same
// whichever thread listed which folder.
void CollectLeftovers(int pair, PairSide side, const Side& s, CompareSummary& summary) {
    if (s.levels.empty()) return;
    std::deque<std::size_t> order{0};
    while (!order.empty() && summary.leftovers.size() < kMaxLeftovers) {
        const Level& level = s.levels[order.front()];
        order.pop_front();
        for (const std::string& name : level.leftovers)
            if (summary.leftovers.size() < kMaxLeftovers) summary.leftovers.push_back({pair, side, level.rel, name});
        order.insert(order.end(), level.children.begin(), level.children.end());
    }
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
    auto loader = std::make_unique<TreeLoader>(fs, sides, workers, state);

    Comparison comparison(diffs, summary, observer, options.skip);
    for (int p = 0; p < count; ++p) {
        PairSides& s = sides[p];
        // Failures are reported here, on the calling thread, in pair order; a
        // full table records nothing more, but every later pair is still
        // compared: a directory that cannot be read is reported, and what does
        // not fit is counted. After a stop nothing more is reported: what
        // was not listed is no failure.
        loader->Wait(2 * static_cast<std::size_t>(p));
        if ((summary.stopped = state.Stopped())) break;
        if (s.a.error() != 0) {
            observer.OnListingFailure({p, PairSide::A, s.a.dir, s.b.dir, s.a.error()});
            s.a.Release();
            continue;
        }
        loader->Wait(2 * static_cast<std::size_t>(p) + 1);
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
    loader.reset();  // the counts are final once its threads are joined
    state.Report();
    return summary;
}
