#include "core/compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "support/memory_fs.h"
#include "support/run_observers.h"

namespace {

using Kind = MemoryFileSystem::Kind;

struct FileSpec {
    std::string name;
    FileTime mtime;
    Kind kind = Kind::File;
    bool statusFails = false;
};

// A directory of a case; missing directories cannot be listed.
struct DirSetup {
    std::string path;
    std::vector<FileSpec> files = {};
    bool missing = false;
    int granularity = 1;  // seconds per step of the file system's times
};

struct PairSetup {
    DirSetup a;
    DirSetup b;
    std::vector<std::string> maskSlots = {};  // written as they are, empty ones included
};

struct CompareCase {
    const char* name;
    std::vector<PairSetup> pairs;
    std::vector<std::string> entries;   // "pair|name|nameB|timeA|timeB"
    std::vector<std::string> messages;  // listing failures, in order
};

// gtest shows the case by its name.
void PrintTo(const CompareCase& c, std::ostream* os) { *os << c.name; }

void Build(const std::vector<PairSetup>& setups, MemoryFileSystem& fs, DirPairTable& table) {
    std::memset(&table, 0, sizeof table);
    for (const PairSetup& setup : setups) {
        DirPair& pair = table.pairs[table.count++];
        std::strcpy(pair.dirA, setup.a.path.c_str());
        std::strcpy(pair.dirB, setup.b.path.c_str());
        for (std::size_t m = 0; m < setup.maskSlots.size(); ++m)
            std::strcpy(pair.masks[m], setup.maskSlots[m].c_str());
        for (const DirSetup* dir : {&setup.a, &setup.b}) {
            if (dir->missing) continue;
            fs.AddDir(dir->path);
            if (dir->granularity != 1) fs.SetTimeGranularity(dir->path, dir->granularity);
            for (const FileSpec& f : dir->files) {
                fs.Add(dir->path, f.name, f.mtime, f.kind);
                if (f.statusFails) fs.FailStatus(dir->path, f.name);
            }
        }
    }
}

std::string Render(const DiffEntry& e) {
    return std::to_string(e.pairIndex) + "|" + e.name + "|" + e.nameB + "|" + std::to_string(e.timeA) + "|" +
           std::to_string(e.timeB);
}

// A listing failure as "<pair> <side>: <failed dir> (other: <dir>) errno <n>".
std::string RenderFailure(const ListingFailure& f) {
    return std::to_string(f.pairIndex) + (f.failedSide == PairSide::A ? " A: " : " B: ") + f.failedDir +
           " (other: " + f.otherDir + ") errno " + std::to_string(f.error);
}

// Runs CompareAll over a table that holds leftovers of an earlier run.
// workers 1 lists on the calling thread, in call order.
std::vector<std::string> RunCompare(FileSystem& fs, const DirPairTable& table, DiffTable& diffs,
                                    std::vector<std::string>& messages, CompareSummary* summary = nullptr,
                                    int workers = 1) {
    std::memset(&diffs, 0xAB, sizeof diffs);
    FailureCollector observer([&](const ListingFailure& f) { messages.push_back(RenderFailure(f)); });
    CompareOptions options;
    options.workers = workers;
    const CompareSummary result = CompareAll(table, diffs, fs, observer, options);
    if (summary) *summary = result;
    std::vector<std::string> rendered;
    for (int i = 0; i < diffs.count; ++i) rendered.push_back(Render(diffs.entries[i]));
    return rendered;
}

bool RestIsZero(const DiffTable& diffs) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&diffs.entries[diffs.count]);
    const auto* end = reinterpret_cast<const unsigned char*>(&diffs + 1);
    for (; bytes != end; ++bytes)
        if (*bytes != 0) return false;
    return true;
}

// Each case runs on the calling thread alone and with the listing spread
// over threads: the results must not differ.
class CompareAllTest : public ::testing::TestWithParam<std::tuple<CompareCase, int>> {};

TEST_P(CompareAllTest, ProducesTheEntriesInOrder) {
    const auto& [c, workers] = GetParam();
    MemoryFileSystem fs;
    DirPairTable table;
    Build(c.pairs, fs, table);
    const auto diffs = std::make_unique<DiffTable>();
    std::vector<std::string> messages;
    EXPECT_EQ(RunCompare(fs, table, *diffs, messages, nullptr, workers), c.entries);
    EXPECT_EQ(messages, c.messages);
    EXPECT_TRUE(RestIsZero(*diffs));
}

const std::string kFailAB = "0 A: /a (other: /b) errno 2";
const std::string kFailBA = "0 B: /b (other: /a) errno 2";

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareAllTest,
    ::testing::Combine(::testing::Values(
        CompareCase{"no_pairs", {}, {}, {}},
        CompareCase{"a_entries_in_listing_order_then_only_b",
                    {{{"/a", {{"c", 10}, {"a", 20}, {"b", 30}}},
                      {"/b", {{"b", 30}, {"x", 5}, {"a", 25}, {"y", 7}}}}},
                    {"0|c||10|0", "0|a|a|20|25", "0|x||0|5", "0|y||0|7"},
                    {}},
        CompareCase{"case_insensitive_match_keeps_both_spellings",
                    {{{"/a", {{"Readme.TXT", 10}}}, {"/b", {{"README.txt", 20}}}}},
                    {"0|Readme.TXT|README.txt|10|20"},
                    {}},
        CompareCase{"equal_times_give_no_entry_at_all",
                    {{{"/a", {{"same", 50}, {"Other", 60}}}, {"/b", {{"OTHER", 60}, {"same", 50}}}}},
                    {},
                    {}},
        CompareCase{"empty_directory_lists_no_names",
                    {{{"/a", {}}, {"/b", {{"x", 1}, {"y", 2}}}}},
                    {"0|x||0|1", "0|y||0|2"},
                    {}},
        CompareCase{"masks_are_plain_case_insensitive_endings_without_wildcards",
                    {{{"/a", {{"readme.txt", 1}, {"mytxt", 2}, {"txt", 3}, {"a.bak", 4}, {"a.bak2", 5}, {"file.c", 6},
                              {"lit*.c", 7}}},
                      {"/b", {{"notes.TXT", 7}, {"A.BAK", 8}, {"y.c", 9}}},
                      {"TXT", ".bak", "*.c"}}},
                    {"0|a.bak2||5|0", "0|file.c||6|0", "0|y.c||0|9"},
                    {}},
        CompareCase{"name_shorter_than_mask_stays",
                    {{{"/a", {{"txt", 1}, {"a.txt", 2}}}, {"/b", {}}, {".txt"}}},
                    {"0|txt||1|0"},
                    {}},
        CompareCase{"empty_first_mask_slot_means_no_masks",
                    {{{"/a", {{"x.c", 1}}}, {"/b", {{"y.c", 2}}}, {"", "c"}}},
                    {"0|x.c||1|0", "0|y.c||0|2"},
                    {}},
        CompareCase{"both_missing_one_message_naming_a",
                    {{{"/a", {}, true}, {"/b", {}, true}}},
                    {},
                    {kFailAB}},
        CompareCase{"b_missing_records_nothing_for_the_pair",
                    {{{"/a", {{"x", 1}}}, {"/b", {}, true}}, {{"/c", {{"y", 2}}}, {"/d", {}}}},
                    {"1|y||2|0"},
                    {kFailBA}},
        CompareCase{"failed_status_records_zero",
                    {{{"/a", {{"gone", 5, Kind::File, true}, {"both", 7}}},
                      {"/b", {{"both", 9, Kind::File, true}, {"lost", 3, Kind::File, true}}}}},
                    {"0|gone||0|0", "0|both|both|7|0", "0|lost||0|0"},
                    {}},
        // The name alone does not make a file the copy's own: without its
        // mark and lock (which this layer has not) it is an ordinary file.
        CompareCase{"files_only_named_like_copy_temporary_files_take_part",
                    {{{"/a", {{".zoruna~1a2b.tmp", 1}, {".zoruna~.tmp", 2}, {".zoruna~x.tm", 3}}},
                      {"/b", {{".zoruna~9.tmp", 4}, {"x.tmp", 5}}}}},
                    {"0|.zoruna~1a2b.tmp||1|0", "0|.zoruna~.tmp||2|0", "0|.zoruna~x.tm||3|0", "0|.zoruna~9.tmp||0|4",
                     "0|x.tmp||0|5"},
                    {}},
        CompareCase{"only_files_take_part",
                    {{{"/a", {{"sub", 1}, {"dir", 2, Kind::Directory}, {"fifo", 3, Kind::Other}}},
                      {"/b", {{"sub", 4, Kind::Directory}, {"dir", 5, Kind::Directory}}}}},
                    {"0|sub||1|0"},
                    {}},
        // Two names of A share one upper-cased form: neither may take a file of
        // B that differs in case, or the copy would write one over the other.
        CompareCase{"names_equal_but_for_case_stay_apart_when_ambiguous",
                    {{{"/a", {{"a.txt", 1}, {"A.TXT", 2}, {"x", 1}}},
                      {"/b", {{"A.txt", 3}, {"X", 1}, {"a.TXT", 2}, {"x", 5}}}}},
                    {"0|a.txt||1|0", "0|A.TXT||2|0", "0|x|x|1|5", "0|A.txt||0|3", "0|X||0|1", "0|a.TXT||0|2"},
                    {}},
        CompareCase{"exact_name_wins_over_an_earlier_case_variant",
                    {{{"/a", {{"A.TXT", 1}, {"a.txt", 2}}}, {"/b", {{"a.txt", 3}, {"A.TXT", 4}}}}},
                    {"0|A.TXT|A.TXT|1|4", "0|a.txt|a.txt|2|3"},
                    {}},
        CompareCase{"case_variant_left_alone_when_its_twin_is_taken",
                    {{{"/a", {{"A.TXT", 1}, {"a.txt", 2}}}, {"/b", {{"a.txt", 2}}}}},
                    {"0|A.TXT||1|0"},
                    {}},
        CompareCase{"case_variant_needs_one_file_on_each_side",
                    {{{"/a", {{"Foo", 1}}}, {"/b", {{"FOO", 2}, {"foo", 3}}}}},
                    {"0|Foo||1|0", "0|FOO||0|2", "0|foo||0|3"},
                    {}},
        CompareCase{"names_that_are_no_text_match_only_exactly",
                    {{{"/a", {{"\x83\x41.txt", 1}, {"\xFF", 1}}}, {"/b", {{"\x83\x61.txt", 2}, {"\xFF", 2}}}}},
                    {"0|\x83\x41.txt||1|0", "0|\xFF|\xFF|1|2", "0|\x83\x61.txt||0|2"},
                    {}},
        // A file copied to FAT loses its odd second; within 2 seconds the
        // times are one, for the pair that has a FAT side only.
        CompareCase{"fat_side_takes_times_within_two_seconds_as_equal",
                    {{{"/fat", {{"up1", 11}, {"up2", 12}, {"up3", 13}, {"down1", 11}, {"down3", 11}}, false, 2},
                      {"/b", {{"up1", 10}, {"up2", 10}, {"up3", 10}, {"down1", 12}, {"down3", 14}}}},
                     {{"/c", {{"f", 11}}}, {"/fat2", {{"f", 10}}, false, 2}},
                     {{"/d", {{"f", 11}}}, {"/e", {{"f", 10}}}}},
                    {"0|up3|up3|13|10", "0|down3|down3|11|14", "2|f|f|11|10"},
                    {}},
        CompareCase{"pairs_in_slot_order",
                    {{{"/a", {{"f", 1}}}, {"/b", {}}},
                     {{"/c", {}}, {"/d", {{"g", 2}}}},
                     {{"/e", {{"h", 3}}}, {"/f", {{"H", 4}}}}},
                    {"0|f||1|0", "1|g||0|2", "2|h|H|3|4"},
                    {}},
        CompareCase{"times_beyond_2038_and_before_1970",
                    {{{"/a", {{"late", 4102444800}, {"early", -86400}}},
                      {"/b", {{"late", 4102444801}, {"early", -86400}}}}},
                    {"0|late|late|4102444800|4102444801"},
                    {}}),
                       ::testing::Values(1, 3)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_workers" + std::to_string(std::get<1>(info.param));
    });

TEST(CompareAll, TrailingSeparatorIsHandedOnUnchanged) {
    MemoryFileSystem fs;
    fs.Add("/a/", "f", 1);
    fs.Add("/b//", "f", 2);
    DirPairTable table{};
    table.count = 1;
    std::strcpy(table.pairs[0].dirA, "/a/");
    std::strcpy(table.pairs[0].dirB, "/b//");
    const auto diffs = std::make_unique<DiffTable>();
    std::vector<std::string> messages;
    EXPECT_EQ(RunCompare(fs, table, *diffs, messages), std::vector<std::string>{"0|f|f|1|2"});
    EXPECT_EQ(fs.queried(), (std::vector<std::string>{JoinPath("/a/", "f"), JoinPath("/b//", "f")}));
}

// 4998 entries from pair 0, then pair 1 fills the table midway; pair 2 is
// still listed and its failure reported, pair 3 adds nothing. What did not
// fit is counted per pair.
TEST(CompareAll, FullTableStopsRecordingButNotReporting) {
    MemoryFileSystem fs;
    for (int i = 0; i < MAX_DIFFS - 2; ++i) fs.Add("/p0a", std::string("f").append(std::to_string(i)), 1);
    fs.AddDir("/p0b");
    fs.Add("/p1a", "x", 1);
    fs.Add("/p1a", "y", 1);
    fs.Add("/p1a", "z", 1);
    fs.Add("/p1b", "w", 1);
    fs.AddDir("/p2b");
    fs.Add("/p3a", "v", 1);
    fs.AddDir("/p3b");
    DirPairTable table{};
    const char* dirs[][2] = {{"/p0a", "/p0b"}, {"/p1a", "/p1b"}, {"/p2a", "/p2b"}, {"/p3a", "/p3b"}};
    for (const auto& d : dirs) {
        std::strcpy(table.pairs[table.count].dirA, d[0]);
        std::strcpy(table.pairs[table.count].dirB, d[1]);
        ++table.count;
    }
    const auto diffs = std::make_unique<DiffTable>();
    std::vector<std::string> messages;
    CompareSummary summary;
    const auto entries = RunCompare(fs, table, *diffs, messages, &summary);
    ASSERT_EQ(diffs->count, MAX_DIFFS);
    // Pair 1's z (only in A) and w (only in B) and pair 3's v did not fit.
    CompareSummary expected;
    expected.omitted[1] = 2;
    expected.omitted[3] = 1;
    EXPECT_TRUE(std::equal(std::begin(summary.omitted), std::end(summary.omitted), std::begin(expected.omitted)));
    EXPECT_EQ(summary.TotalOmitted(), 3);
    EXPECT_EQ(entries[MAX_DIFFS - 3], "0|f4997||1|0");
    EXPECT_EQ(entries[MAX_DIFFS - 2], "1|x||1|0");
    EXPECT_EQ(entries[MAX_DIFFS - 1], "1|y||1|0");
    EXPECT_EQ(messages, std::vector<std::string>{"2 A: /p2a (other: /p2b) errno 2"});
    EXPECT_EQ(fs.listed(), (std::vector<std::string>{"/p0a", "/p0b", "/p1a", "/p1b", "/p2a", "/p3a", "/p3b"}));

    // Spread over threads: B of pair 2 may be listed along with A, but the
    // outcome is the same.
    std::vector<std::string> messages2;
    CompareSummary summary2;
    EXPECT_EQ(RunCompare(fs, table, *diffs, messages2, &summary2, 4), entries);
    EXPECT_EQ(messages2, messages);
    EXPECT_TRUE(std::equal(std::begin(summary2.omitted), std::end(summary2.omitted), std::begin(expected.omitted)));
}

// Skipped entries make room: neither stored nor counted as omitted, while
// the table still fills up with the rest. The filter sees each entry's pair
// and name as they would be stored, also once the table is full.
TEST(CompareAll, SkippedEntriesTakeNoRowAndAreNotOmitted) {
    MemoryFileSystem fs;
    for (int i = 0; i < MAX_DIFFS + 2; ++i) fs.Add("/p0a", std::string("f").append(std::to_string(i)), 1);
    fs.AddDir("/p0b");
    fs.Add("/p1a", "x", 1);
    fs.Add("/p1a", "y", 1);
    fs.Add("/p1b", "x", 2);
    DirPairTable table{};
    const char* dirs[][2] = {{"/p0a", "/p0b"}, {"/p1a", "/p1b"}};
    for (const auto& d : dirs) {
        std::strcpy(table.pairs[table.count].dirA, d[0]);
        std::strcpy(table.pairs[table.count].dirB, d[1]);
        ++table.count;
    }
    std::vector<std::string> askedInPair1;
    const EntrySkipFn skip = [&](int pair, std::string_view name) {
        if (pair == 1) askedInPair1.emplace_back(name);
        return (pair == 0 && (name == "f0" || name == "f1")) || (pair == 1 && name == "x");
    };
    const auto diffs = std::make_unique<DiffTable>();
    CompareOptions options;
    options.workers = 1;
    options.skip = skip;
    const CompareSummary summary = CompareAll(table, *diffs, fs, Unobserved(), options);

    ASSERT_EQ(diffs->count, MAX_DIFFS);
    EXPECT_EQ(Render(diffs->entries[0]), "0|f2||1|0");
    EXPECT_EQ(Render(diffs->entries[MAX_DIFFS - 1]), "0|f5001||1|0");
    // x is skipped although the table is full; only y counts as omitted.
    const int expected[MAX_DIR_PAIRS] = {0, 1};
    EXPECT_TRUE(std::equal(std::begin(summary.omitted), std::end(summary.omitted), std::begin(expected)));
    EXPECT_EQ(askedInPair1, (std::vector<std::string>{"x", "y"}));
}

}  // namespace
