#include "core/compare.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
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
    for (auto& e : entries)
        if (e.isFile) names.push_back(std::move(e.name));
    return 0;
}

namespace {

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

// The upper-cased masks of a pair; the list ends at the first empty slot.
std::vector<std::string> UpperMasks(const DirPair& pair) {
    std::vector<std::string> masks;
    for (int m = 0; m < MAX_MASKS && pair.masks[m][0] != 0; ++m)
        masks.push_back(MbUpper(FieldText(pair.masks[m])));
    return masks;
}

// The listed names that take part, in listing order: leftover temporary
// files of the copy and names that end in one of the masks are dropped.
std::vector<std::string_view> KeptNames(const std::vector<std::string>& names, const std::vector<std::string>& masks) {
    std::vector<std::string_view> kept;
    kept.reserve(names.size());
    for (const std::string& name : names) {
        if (IsCopyTempName(name)) continue;
        bool masked = false;
        for (const auto& m : masks)
            if (EndsWithUpper(name, m)) {
                masked = true;
                break;
            }
        if (!masked) kept.push_back(name);
    }
    return kept;
}

class Comparison {
public:
    Comparison(DiffTable& diffs, CompareSummary& summary, FileSystem& fs)
        : m_diffs(diffs), m_summary(summary), m_fs(fs) {}

    void ComparePair(int p, const DirPair& pair, const std::vector<std::string>& namesA,
                     const std::vector<std::string>& namesB) {
        const std::vector<std::string> masks = UpperMasks(pair);
        const std::vector<std::string_view> filesA = KeptNames(namesA, masks);
        const std::vector<std::string_view> filesB = KeptNames(namesB, masks);
        PathBuilder pathA(FieldText(pair.dirA));
        PathBuilder pathB(FieldText(pair.dirB));
        const int granularity = std::max(m_fs.TimeGranularity(std::string(FieldText(pair.dirA))),
                                         m_fs.TimeGranularity(std::string(FieldText(pair.dirB))));

        const std::vector<std::uint32_t> partner = MatchNames(filesA, filesB);
        std::vector<bool> matchedB(filesB.size(), false);
        for (std::size_t i = 0; i < filesA.size(); ++i) {
            const std::string_view a = filesA[i];
            const FileTime timeA = ModTime(m_fs, pathA.For(a));
            const std::uint32_t j = partner[i];
            if (j == kNoPartner) {
                Append(p, a, "", true, timeA, false, 0);
                continue;
            }
            matchedB[j] = true;
            const FileTime timeB = ModTime(m_fs, pathB.For(filesB[j]));
            if (!SameModTime(timeA, timeB, granularity)) Append(p, a, filesB[j], true, timeA, true, timeB);
        }
        for (std::size_t j = 0; j < filesB.size(); ++j) {
            if (matchedB[j]) continue;
            Append(p, filesB[j], "", false, 0, true, ModTime(m_fs, pathB.For(filesB[j])));
        }
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
    FileSystem& m_fs;
};

}  // namespace

CompareSummary CompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs,
                          const ListingFailureHandler& onListingFailure) {
    CompareSummary summary;
    std::memset(&diffs, 0, sizeof diffs);
    Comparison comparison(diffs, summary, fs);
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
        // compared: a directory that cannot be read is reported, and what
        // does not fit is counted.
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
