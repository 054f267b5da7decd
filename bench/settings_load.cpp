// Speed of loading and saving a large settings file.
//
// Files of about 20 MiB, written to $TMPDIR (or /tmp) and removed at the end:
// 1. grown: what the older key-by-key writer left after thousands of saves
//    (every key outside its section's first block inserted again per save);
// 2. foreign: a section of other keys of 20 MiB in front of the pairs;
// 3. keyless: the pair sections themselves hold 20 MiB of lines without the
//    keys, so that every key search runs through them.
// LoadSettings is timed on each (the file is read once and split once), and
// SaveSettings on the grown file, which that save tidies to a few lines.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace {

constexpr std::size_t kTargetBytes = 20u << 20;
constexpr int kRounds = 5;

using Clock = std::chrono::steady_clock;

std::string Grown() {
    std::string s = "[SIZE]\r\nFNAME=147\r\n\r\n";
    while (s.size() < kTargetBytes / 11) s += "TIMEB=110\r\n\r\nTIMEA=110\r\n\r\n";
    const std::string sizeSection = s;
    s.clear();
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        std::string section = "[DIR" + std::to_string(i) + "]\r\nDIRA=/home/user/projects/pair" +
                              std::to_string(i) + "/A\r\n\r\n";
        while (section.size() < kTargetBytes / 11)
            section += "MASK=OBJ,BAK,TMP\r\n\r\nDIRB=/mnt/backup/projects/pair" + std::to_string(i) + "/B\r\n\r\n";
        s += section;
    }
    return sizeSection + s;
}

std::string Pairs() {
    std::string s;
    for (int i = 0; i < MAX_DIR_PAIRS; ++i)
        s += "[DIR" + std::to_string(i) + "]\r\nDIRA=/a" + std::to_string(i) + "\r\nDIRB=/b" + std::to_string(i) +
             "\r\nMASK=OBJ\r\n\r\n";
    return s;
}

std::string Foreign() {
    std::string s = "[NOTES]\r\n";
    for (int n = 0; s.size() < kTargetBytes; ++n) s += "NOTE" + std::to_string(n) + "=some text of a note\r\n";
    return s + "\r\n[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n" + Pairs();
}

std::string Keyless() {
    std::string s = "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\nTIMEB=110\r\n\r\n";
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        s += "[DIR" + std::to_string(i) + "]\r\n";
        const std::size_t end = s.size() + kTargetBytes / MAX_DIR_PAIRS;
        while (s.size() < end) s += "X=a line without any of the keys\r\n";
        s += "\r\n";
    }
    return s;
}

void WriteText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/zoruna-bench-settings-XXXXXX";
    if (!mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const SettingsStore store{dir + "/zoruna.INI", &RealFileSystem()};
    const auto pairs = std::make_unique<DirPairTable>();
    ColumnWidths widths;
    WindowSize size;
    int status = 0;

    std::printf("settings: LoadSettings on files of about 20 MiB, median of %d\n", kRounds);
    struct Shape {
        const char* name;
        std::string (*make)();
        int pairs;
    };
    for (const Shape& shape : {Shape{"grown by older saves", Grown, 10}, Shape{"20 MiB foreign section", Foreign, 10},
                               Shape{"keyless pair sections", Keyless, 0}}) {
        const std::string text = shape.make();
        WriteText(store.path, text);
        std::vector<double> ms;
        for (int r = 0; r < kRounds; ++r) {
            const auto t0 = Clock::now();
            LoadSettings(store, *pairs, widths, size);
            ms.push_back(MsSince(t0));
        }
        const bool ok = pairs->count == shape.pairs;
        if (!ok) status = 1;
        std::printf("    %-24s %6.1f MiB  load median %8.1f ms  pairs %d%s\n", shape.name,
                    text.size() / 1048576.0, Median(ms), pairs->count, ok ? "" : " (WRONG)");
    }

    const std::string grown = Grown();
    WriteText(store.path, grown);
    LoadSettings(store, *pairs, widths, size);
    const auto t0 = Clock::now();
    const SaveResult saved = SaveSettings(store, widths, size, *pairs);
    const double saveMs = MsSince(t0);
    std::error_code ec;
    const auto after = std::filesystem::file_size(store.path, ec);
    std::printf("    save of the grown file  %8.1f ms, %.1f MiB -> %llu bytes%s\n", saveMs, grown.size() / 1048576.0,
                static_cast<unsigned long long>(after), saved == SaveResult::Saved ? "" : " (FAILED)");
    if (saved != SaveResult::Saved) status = 1;

    std::filesystem::remove_all(dir, ec);
    return status;
}
