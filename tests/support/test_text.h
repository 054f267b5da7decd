// Text helpers shared by tests: settings sections written by hand, captured
// output streams.
#pragma once

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>

#include <atomic>
#include <filesystem>
#endif

#include "settings/ini_text.h"

// One pair section with all its keys in one block, as a user would write it.
inline std::string PairSection(int slot, const std::string& dirA, const std::string& dirB,
                               const std::string& masks = "") {
    return "[DIR" + std::to_string(slot) + "]\r\nDIRA=" + dirA + "\r\nDIRB=" + dirB + "\r\nMASK=" + masks +
           "\r\n\r\n";
}

// The text after writing one key, as the settings file's writer would,
// removing nothing.
inline std::string ApplyIniWrite(std::string_view text, const std::string& section, const std::string& key,
                                 const std::string& value) {
    return ApplyIniWrites(text, {IniSectionWrite{section, {IniKeyWrite{key, value}}}}, false);
}

// A temporary stream, gone once closed. On Windows std::tmpfile() puts its
// file in the root of the drive, which only administrators may write.
inline std::FILE* TempStream() {
#ifdef _WIN32
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
        ("zoruna-stream-" + std::to_string(_getpid()) + "-" + std::to_string(counter.fetch_add(1)));
    return _wfopen(path.c_str(), L"w+bD");  // D: removed when closed
#else
    return std::tmpfile();
#endif
}

// Everything written to a temporary stream; the stream is closed.
inline std::string DrainStream(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    std::fclose(f);
    return s;
}

// The lines of a text, sorted (the order within a pair follows the listing).
inline std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}
