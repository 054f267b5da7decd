// The settings that outlive a run: three column widths, the window size and
// the ten pair slots.
#pragma once

#include <cstddef>
#include <string>

#include "core/records.h"
#include "settings/ini_store.h"

// The settings file keeps at most this many bytes of a pair's mask list.
inline constexpr std::size_t MAX_MASK_LIST_BYTES = 255;

// Widths of the three results columns; the defaults are those of a file
// without them.
struct ColumnWidths {
    int fileName = 147;  // column 0
    int timeA = 110;     // column 1
    int timeB = 110;     // column 2

    bool operator==(const ColumnWidths&) const = default;
};

// The main window's size; 0 = not stored (the window keeps its layout's size).
struct WindowSize {
    int width = 0;
    int height = 0;

    bool operator==(const WindowSize&) const = default;
};

// Settings file name for an executable path: its base name without extension
// + ".INI" ("zoruna.INI" for "/usr/bin/zoruna").
std::string SettingsFileNameFor(const char* argv0);

// Fills pairs (all zero bytes on entry), widths and size from the store's
// settings file, read once; what that read gave is returned (the window
// ignores it, the headless options report it).
SettingsRead LoadSettings(const SettingsStore& store, DirPairTable& pairs, ColumnWidths& widths,
                          WindowSize& size);

enum class SaveResult {
    Saved,           // the file now holds all settings
    NoSettingsFile,  // there is no settings file: nothing is saved
    Failed,          // the file exists but could not be rewritten
};

// Writes the widths, the size (only when both are above 0) and all ten pair
// slots into the existing settings file, in one replacement. A pair section
// holds DIRA, DIRB, MASK and, only for a pair that compares whole trees,
// SUBDIRS=1 (a pair without it loses any SUBDIRS line). Each section ends up
// with its keys in one block; older lines of those keys further down the
// section are removed.
SaveResult SaveSettings(const SettingsStore& store, const ColumnWidths& widths, const WindowSize& size,
                        const DirPairTable& pairs);

// Whether leaving should save: the pairs were changed, or the column widths
// or the window size differ from those at start.
inline bool SettingsChanged(bool pairsModified, const ColumnWidths& widthsAtStart, const ColumnWidths& widths,
                            const WindowSize& sizeAtStart, const WindowSize& size) {
    return pairsModified || widths != widthsAtStart || size != sizeAtStart;
}
