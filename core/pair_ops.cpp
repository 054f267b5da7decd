#include "core/pair_ops.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/mbtext.h"

namespace {

constexpr int kColumnMin = 20;
constexpr int kColumnMax = 25;
// Marks a pair that compares whole trees, at the end of its B column.
constexpr std::string_view kSubdirsMark = " +";

// "%-20.25s" of a directory field, counted in the columns of the list's
// fixed-pitch font so that the lines stay aligned: at most 25 columns, padded
// to at least 20, never splitting a character. In code page 932 a column is a
// byte, exactly the printf widths; in UTF-8 a Japanese character takes three
// bytes but two columns. A mark takes its columns from the directory's, so
// that the column keeps its width.
std::string PairLineColumn(const char (&dir)[MAX_PATH], std::string_view mark = {}) {
    const std::string_view text = FieldText(dir);
    const int room = kColumnMax - static_cast<int>(mark.size());
    std::size_t end = 0;
    int columns = 0;
    while (end < text.size()) {
        const std::string_view rest = text.substr(end);
        const int w = CharColumns(rest);
        if (columns + w > room) break;
        columns += w;
        end += CharLength(rest);
    }
    std::string column(text.substr(0, end));
    column.append(mark);
    columns += static_cast<int>(mark.size());
    if (columns < kColumnMin) column.append(static_cast<std::size_t>(kColumnMin - columns), ' ');
    return column;
}

}  // namespace

PairLineColumns PairLineColumnsOf(int index, const DirPair& pair) {
    char number[16];
    std::snprintf(number, sizeof number, "%2d", index + 1);
    return {number, PairLineColumn(pair.dirA),
            PairLineColumn(pair.dirB, pair.subdirs ? kSubdirsMark : std::string_view())};
}

void RemovePairs(DirPairTable& table, const int* indices, int n) {
    // Highest index first, so that no removal moves a pair still to be removed.
    std::vector<int> order(indices, indices + std::max(n, 0));
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const int k = *it;
        if (k < 0 || k >= table.count || k >= MAX_DIR_PAIRS) continue;
        for (int s = k; s + 1 < MAX_DIR_PAIRS; ++s) table.pairs[s] = table.pairs[s + 1];
        std::memset(&table.pairs[MAX_DIR_PAIRS - 1], 0, sizeof table.pairs[MAX_DIR_PAIRS - 1]);
        --table.count;
    }
}

DirInputProblem CheckDirText(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) return DirInputProblem::LineBreak;
    if (!FitsField(text, MAX_PATH)) return DirInputProblem::TooLong;
    return DirInputProblem::None;
}

DirInputCheck CheckDirInput(std::string_view textA, std::string_view textB) {
    DirInputCheck check{DirInputProblem::None, false, TrimLeadingBlanks(textA), TrimLeadingBlanks(textB)};
    const auto refuse = [&](DirInputProblem problem, bool inB) {
        check.problem = problem;
        check.inB = inB;
        return check;
    };
    if (check.dirA.empty()) return refuse(DirInputProblem::Missing, false);
    if (check.dirB.empty()) return refuse(DirInputProblem::Missing, true);
    if (check.dirA == check.dirB) return refuse(DirInputProblem::Same, true);
    if (const DirInputProblem problem = CheckDirText(check.dirA); problem != DirInputProblem::None)
        return refuse(problem, false);
    if (const DirInputProblem problem = CheckDirText(check.dirB); problem != DirInputProblem::None)
        return refuse(problem, true);
    return check;
}
