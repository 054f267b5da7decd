#include "cli/start_option.h"

bool HasCompareAtStartOption(const std::vector<std::string>& args) {
    // The program path is left out on purpose: a hyphen in the folder the
    // program is installed in must neither hide the option nor fake it.
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        line += arg;
    }
    const std::string::size_type hyphen = line.find('-');
    return hyphen != std::string::npos && hyphen + 1 < line.size() && line[hyphen + 1] == 'd';
}
