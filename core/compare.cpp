#include "core/compare.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/mbtext.h"
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

namespace {

// One file of a side: its name as the directory spells it and, once, upper-cased.
struct SideFile {
    std::string name;
    std::string upper;
};

// Builds dir + separator + name in one reused buffer, so that querying the
// status of every file does not allocate a path per file.
class PathBuilder {
public:
    explicit PathBuilder(std::string_view dir) : m_path(JoinPath(dir, "")), m_dirLength(m_path.size()) {}

    const std::string& For(std::string_view name) {
        m_path.resize(m_dirLength);
        m_path.append(name);
        return m_path;
    }

private:
    std::string m_path;
    std::size_t m_dirLength;
};

FileTime ModTime(FileSystem& fs, const std::string& path) {
    FileStatus st;
    return fs.GetStatus(path, st) ? st.mtime : 0;
}

bool EndsWith(std::string_view s, std::string_view ending) {
    return s.size() >= ending.size() && s.substr(s.size() - ending.size()) == ending;
}

// The upper-cased masks of a pair; the list ends at the first empty slot.
std::vector<std::string> UpperMasks(const DirPair& pair) {
    std::vector<std::string> masks;
    for (int m = 0; m < MAX_MASKS && pair.masks[m][0] != 0; ++m)
        masks.push_back(MbUpper(FieldText(pair.masks[m])));
    return masks;
}

// Turns the listed names into the side's files: leftover temporary files of
// the copy and names that end in one of the masks are dropped, order kept.
std::vector<SideFile> KeptFiles(std::vector<std::string>& names, const std::vector<std::string>& masks) {
    std::vector<SideFile> files;
    files.reserve(names.size());
    for (auto& name : names) {
        if (IsCopyTempName(name)) continue;
        std::string upper = MbUpper(name);
        bool masked = false;
        for (const auto& m : masks)
            if (EndsWith(upper, m)) { masked = true; break; }
        if (!masked) files.push_back({std::move(name), std::move(upper)});
    }
    return files;
}

// The files of B by upper-cased name. Equal upper-cased names (possible on a
// case-sensitive file system) form a chain in listing order; a match always
// takes the first remaining file of its chain.
class NameIndex {
public:
    explicit NameIndex(const std::vector<SideFile>& files) : m_next(files.size(), kNone) {
        m_first.reserve(files.size());
        // Walking backwards leaves each chain's head at its first file.
        for (std::size_t j = files.size(); j-- > 0;) {
            const auto [it, inserted] = m_first.try_emplace(files[j].upper, j);
            if (!inserted) {
                m_next[j] = it->second;
                it->second = j;
            }
        }
    }

    // Index of the first remaining file with this upper-cased name, which is
    // removed from the index; kNone when there is none.
    std::size_t Take(std::string_view upper) {
        const auto it = m_first.find(upper);
        if (it == m_first.end()) return kNone;
        const std::size_t j = it->second;
        if (m_next[j] == kNone)
            m_first.erase(it);
        else
            it->second = m_next[j];
        return j;
    }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

private:
    std::unordered_map<std::string_view, std::size_t> m_first;
    std::vector<std::size_t> m_next;
};

class Comparison {
public:
    Comparison(DiffTable& diffs, FileSystem& fs) : m_diffs(diffs), m_fs(fs) {}

    bool Full() const { return m_diffs.count >= MAX_DIFFS; }

    void ComparePair(int p, const DirPair& pair, std::vector<std::string>& namesA,
                     std::vector<std::string>& namesB) {
        if (Full()) return;
        const std::vector<std::string> masks = UpperMasks(pair);
        const std::vector<SideFile> filesA = KeptFiles(namesA, masks);
        const std::vector<SideFile> filesB = KeptFiles(namesB, masks);
        PathBuilder pathA(FieldText(pair.dirA));
        PathBuilder pathB(FieldText(pair.dirB));

        NameIndex indexB(filesB);
        std::vector<bool> matchedB(filesB.size(), false);
        for (const SideFile& a : filesA) {
            if (Full()) return;
            const FileTime timeA = ModTime(m_fs, pathA.For(a.name));
            const std::size_t j = indexB.Take(a.upper);
            if (j == NameIndex::kNone) {
                Append(p, a.name, "", true, timeA, false, 0);
                continue;
            }
            matchedB[j] = true;
            const FileTime timeB = ModTime(m_fs, pathB.For(filesB[j].name));
            if (timeA != timeB) Append(p, a.name, filesB[j].name, true, timeA, true, timeB);
        }
        for (std::size_t j = 0; j < filesB.size(); ++j) {
            if (matchedB[j]) continue;
            if (Full()) return;
            Append(p, filesB[j].name, "", false, 0, true, ModTime(m_fs, pathB.For(filesB[j].name)));
        }
    }

private:
    void Append(int p, std::string_view name, std::string_view nameB, bool inA, FileTime timeA, bool inB,
                FileTime timeB) {
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
    FileSystem& m_fs;
};

}  // namespace

CompareSummary CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs,
                          const ListingFailureHandler& onListingFailure) {
    CompareSummary summary;
    std::memset(&diffs, 0, sizeof diffs);
    Comparison comparison(diffs, fs);
    std::vector<std::string> namesA;
    std::vector<std::string> namesB;
    const int count = pairs.count < MAX_DIR_PAIRS ? pairs.count : MAX_DIR_PAIRS;
    for (int p = 0; p < count; ++p) {
        const DirPair& pair = pairs.pairs[p];
        const std::string dirA(FieldText(pair.dirA));
        const std::string dirB(FieldText(pair.dirB));
        namesA.clear();
        namesB.clear();
        // A full table records nothing more, but every later pair is still
        // listed so that a directory that cannot be read is still reported.
        if (const int error = ListFiles(fs, dirA, namesA); error != 0) {
            if (onListingFailure) onListingFailure({p, PairSide::A, dirA, dirB, error});
            continue;
        }
        if (const int error = ListFiles(fs, dirB, namesB); error != 0) {
            if (onListingFailure) onListingFailure({p, PairSide::B, dirB, dirA, error});
            continue;
        }
        comparison.ComparePair(p, pair, namesA, namesB);
    }
    return summary;
}
