#include "core/tree_loader.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/name_match.h"
#include "core/temp_name.h"

namespace {

// Whether name ends in one of the (upper-cased) masks.
bool Masked(std::string_view name, const std::vector<std::string>& masks) {
    return std::any_of(masks.begin(), masks.end(), [&](const std::string& m) { return EndsWithUpper(name, m); });
}

// When other lies inside the tree below dir, its path as a walk from dir
// spells it; otherwise empty.
std::string NestedDirectory(FileSystem& fs, const std::string& dir, const std::string& other) {
    std::string realDir, realOther;
    if (!fs.RealPath(dir, realDir) || !fs.RealPath(other, realOther)) return {};
    if (realDir.empty() || realDir.back() != kPathSeparator) realDir.push_back(kPathSeparator);
    if (realOther.size() <= realDir.size() || realOther.compare(0, realDir.size(), realDir) != 0) return {};
    return JoinPath(dir, std::string_view(realOther).substr(realDir.size()));
}

}  // namespace

std::string RelativePath(std::string_view rel, std::string_view name) {
    std::string path;
    path.reserve(rel.size() + 1 + name.size());
    path.append(rel);
    if (!rel.empty()) path.push_back('/');
    path.append(name);
    return path;
}

void Level::Load(FileSystem& fs, const ReachedDirectory& top, const std::vector<std::string>& masks, bool withSubdirs,
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
        // A copy's temporary file, in progress or left by a copy that died,
        // never takes part; an ordinary file of such a name does.
        if (IsCopyTempName(name)) {
            const CopyTempState state = ProbeCopyTemp(fs, dir, std::string(name));
            if (state == CopyTempState::Leftover) leftovers.emplace_back(name);
            if (state != CopyTempState::NotOurs) continue;
        }
        if (Masked(name, masks)) continue;
        names.push_back(name);
        kept.push_back(static_cast<std::uint32_t>(i));
    }
    for (std::size_t i = 0; i < subdirs.size(); ++i)
        if (!Masked(subdirs.Name(i), masks)) dirNames.push_back(subdirs.Name(i));
}

TreeLoader::TreeLoader(FileSystem& fs, std::vector<PairSides>& pairs, int workers, ListingState& state)
    : m_fs(fs), m_pairs(pairs), m_state(state), m_sides(pairs.size() * 2) {
    if (workers <= 1 || m_sides.empty()) return;
    {
        const std::lock_guard lock(m_mutex);
        for (std::size_t s = 0; s < m_sides.size(); ++s) Start(s);
    }
    try {
        m_threads.reserve(static_cast<std::size_t>(workers));
        for (int t = 0; t < workers; ++t) m_threads.emplace_back([this] { Work(); });
    } catch (...) {
        // The threads already running must see the end before they are joined.
        End();
        throw;
    }
}

TreeLoader::~TreeLoader() { End(); }

void TreeLoader::End() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_work.notify_all();
}

void TreeLoader::Wait(std::size_t side) {
    SideState& state = m_sides[side];
    std::unique_lock lock(m_mutex);
    if (m_threads.empty()) {
        if (!state.started) Start(side);
        while (!state.pending.empty()) {
            const Task task{side, state.pending.back()};
            state.pending.pop_back();
            Run(lock, task);
        }
    }
    while (!m_changed.wait_for(lock, kPollInterval, [&] { return state.outstanding == 0; })) {
        lock.unlock();
        m_state.Poll();
        lock.lock();
    }
    if (state.error) std::rethrow_exception(state.error);
}

Side& TreeLoader::SideOf(std::size_t side) {
    PairSides& p = m_pairs[side / 2];
    return side % 2 == 0 ? p.a : p.b;
}

void TreeLoader::Start(std::size_t side) {
    SideState& state = m_sides[side];
    Side& s = SideOf(side);
    state.started = true;
    Level& top = s.levels.emplace_back();
    top.path = s.dir;
    state.pending.push_back(&top);
    state.outstanding = 1;
}

bool TreeLoader::Take(Task& task) {
    for (std::size_t s = 0; s < m_sides.size(); ++s) {
        std::vector<Level*>& pending = m_sides[s].pending;
        if (pending.empty()) continue;
        task = {s, pending.back()};
        pending.pop_back();
        return true;
    }
    return false;
}

void TreeLoader::Run(std::unique_lock<std::mutex>& lock, const Task& task) {
    Side& side = SideOf(task.side);
    SideState& state = m_sides[task.side];
    Level& level = *task.level;
    const bool isTop = &level == &side.levels.front();
    lock.unlock();
    std::exception_ptr error;
    try {
        // The side's directory is opened once, by its first task, and every
        // folder below is reached from it.
        if (isTop) state.top = std::make_unique<ReachedDirectory>(m_fs, side.dir);
        level.Load(m_fs, *state.top, m_pairs[task.side / 2].masks, side.tree, m_state);
        if (isTop && level.error == 0) {
            side.granularity = m_fs.TimeGranularity(side.dir);
            if (side.tree) state.nested = NestedDirectory(m_fs, side.dir, side.otherDir);
        }
        // The pair's other directory, when it lies in this tree, is not part
        // of it: each run would copy it into itself one level deeper.
        if (!state.nested.empty())
            std::erase_if(level.dirNames,
                          [&](std::string_view name) { return JoinPath(level.path, name) == state.nested; });
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    if (error) {
        if (!state.error) state.error = error;
    } else {
        try {
            level.children.reserve(level.dirNames.size());
            for (const std::string_view name : level.dirNames) {
                level.children.push_back(side.levels.size());
                Level& child = side.levels.emplace_back();
                child.rel = RelativePath(level.rel, name);
                child.path = JoinPath(level.path, name);
                state.pending.push_back(&child);
                ++state.outstanding;
            }
        } catch (...) {
            if (!state.error) state.error = std::current_exception();
        }
    }
    if (!level.dirNames.empty()) m_work.notify_all();
    if (--state.outstanding == 0) {
        state.top.reset();
        m_changed.notify_all();
    }
}

void TreeLoader::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_ending) return;
        Task task{};
        if (Take(task))
            Run(lock, task);
        else
            m_work.wait(lock);
    }
}
