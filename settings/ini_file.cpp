#include "settings/ini_file.h"

#include <optional>
#include <utility>

#include "settings/ini_store.h"
#include "settings/ini_text.h"

namespace {

struct Store {
    std::string fileName = "zoruna.INI";
    FileSystem* fs = nullptr;

    FileSystem& Fs() const { return fs ? *fs : RealFileSystem(); }
};

Store& TheStore() {
    static Store store;
    return store;
}

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool ReadAll(FileSystem& fs, FileHandle h, std::string& text) {
    char buf[16384];
    for (;;) {
        const long long n = fs.Read(h, buf, sizeof buf);
        if (n < 0) return false;
        if (n == 0) return true;
        text.append(buf, static_cast<std::size_t>(n));
    }
}

// A write is only made in file mode, with all texts present and none that
// would break a line.
bool IsWritable(std::uint8_t mode, const char* section, const char* key, const char* value) {
    return mode == INI_MODE_FILE && section && key && value && IsSingleLine(section) && IsSingleLine(key) &&
           IsSingleLine(value);
}

std::optional<std::string> ReadValue(std::uint8_t mode, const char* section, const char* key) {
    if (mode != INI_MODE_FILE || !section || !key) return std::nullopt;
    std::string text;
    if (ReadSettingsText(text) != SettingsRead::Read) return std::nullopt;
    const auto value = FindIniValue(text, section, key);
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::int32_t WriteValue(const char* section, const char* key, const char* value) {
    std::string text;
    if (ReadSettingsText(text) != SettingsRead::Read) return 1;
    return ReplaceSettingsText(ApplyIniWrite(text, section, key, value)) ? 0 : 1;
}

}  // namespace

void SetSettingsFile(std::string fileName, FileSystem* fs) {
    TheStore().fileName = std::move(fileName);
    TheStore().fs = fs;
}

const std::string& SettingsFileName() { return TheStore().fileName; }

std::string SettingsTempFileName() {
    const std::string& name = SettingsFileName();
    std::size_t base = name.size();
    while (base > 0 && !IsSeparator(name[base - 1])) --base;
    return name.substr(0, base) + "$$" + name.substr(base) + "$$";
}

SettingsRead ReadSettingsText(std::string& text) {
    text.clear();
    FileSystem& fs = TheStore().Fs();
    FileStatus st;
    if (!fs.GetStatus(SettingsFileName(), st)) return SettingsRead::Missing;
    // Only a regular file is read: a FIFO of that name would block the open.
    if (!st.isFile) return SettingsRead::Unreadable;
    const FileHandle h = fs.OpenRead(SettingsFileName());
    if (h == kInvalidHandle) return SettingsRead::Unreadable;
    const bool ok = ReadAll(fs, h, text);
    fs.Close(h);
    if (!ok) text.clear();
    return ok ? SettingsRead::Read : SettingsRead::Unreadable;
}

bool ReplaceSettingsText(const std::string& text) {
    FileSystem& fs = TheStore().Fs();
    const std::string& fileName = SettingsFileName();
    const std::string tempName = SettingsTempFileName();
    FileStatus st;
    if (!fs.GetStatus(fileName, st) || !st.isFile) return false;

    // A leftover temporary file is removed rather than opened, so that a link
    // of that name cannot lead the write into another file.
    fs.Remove(tempName);
    const unsigned mode = st.mode & 0777;
    const FileHandle h = fs.Create(tempName, true, mode);
    if (h == kInvalidHandle) return false;
    fs.SetMode(h, mode);  // the umask may have narrowed it; a failure only costs the bits
    const bool written = WriteAll(fs, h, text.data(), text.size());
    // Close is checked: it may be the first to report that the data did not fit.
    const bool closed = fs.Close(h);
    if (written && closed && fs.Rename(tempName, fileName)) return true;
    fs.Remove(tempName);
    return false;
}

std::int32_t IniReadInt(std::uint8_t mode, const char* section, const char* key, std::int32_t def) {
    if (mode != INI_MODE_FILE) return 0;
    const auto value = ReadValue(mode, section, key);
    return value ? IniValueToInt(*value) : def;
}

std::string IniReadString(std::uint8_t mode, const char* section, const char* key, const char*) {
    return ReadValue(mode, section, key).value_or(std::string());
}

std::int32_t IniWriteInt(std::uint8_t mode, const char* section, const char* key, std::int32_t value) {
    const std::string text = std::to_string(value);
    if (!IsWritable(mode, section, key, text.c_str())) return 1;
    return WriteValue(section, key, text.c_str());
}

std::int32_t IniWriteString(std::uint8_t mode, const char* section, const char* key, const char* value) {
    if (!IsWritable(mode, section, key, value)) return 1;
    return WriteValue(section, key, value);
}
