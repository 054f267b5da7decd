#include "cli/start_option.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct OptionCase {
    const char* name;
    std::vector<std::string> args;  // after the program path
    bool compare;
};

void PrintTo(const OptionCase& c, std::ostream* os) {
    for (const std::string& arg : c.args) *os << '"' << arg << "\" ";
}

class StartOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(StartOption, FirstHyphenOfTheArgumentsFollowedByLowerCaseD) {
    EXPECT_EQ(HasCompareAtStartOption(GetParam().args), GetParam().compare);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartOption,
    ::testing::Values(OptionCase{"no_arguments", {}, false}, OptionCase{"lower_d", {"-d"}, true},
                      OptionCase{"upper_d", {"-D"}, false}, OptionCase{"slash_d", {"/d"}, false},
                      OptionCase{"d_alone", {"d"}, false}, OptionCase{"hyphen_alone", {"-"}, false},
                      OptionCase{"hyphen_at_the_end", {"x-"}, false},
                      // the blank between the arguments follows the hyphen
                      OptionCase{"hyphen_then_d_argument", {"-", "d"}, false},
                      // only the byte after the hyphen counts
                      OptionCase{"more_letters_after_d", {"-dx"}, true},
                      // the first hyphen may stand anywhere, even inside an argument
                      OptionCase{"after_a_plain_argument", {"name", "-d"}, true},
                      OptionCase{"inside_an_argument", {"x-d"}, true},
                      // only the first hyphen is examined
                      OptionCase{"after_another_option", {"-x", "-d"}, false},
                      OptionCase{"double_hyphen", {"--d"}, false}, OptionCase{"second_hyphen_in_word", {"-e-d"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
