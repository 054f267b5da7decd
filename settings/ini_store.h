// The settings store: which file holds the settings and the file system it is
// reached through. Every reader and writer of the settings takes one, as the
// comparison takes its FileSystem.
#pragma once

#include <string>

#include "core/filesystem.h"

struct SettingsStore {
    // The settings file, looked up in the current directory unless it holds a
    // directory part. Empty, or no file system: there is no settings file at
    // all (it reads as missing and is never written).
    std::string path;
    FileSystem* fs = nullptr;

    bool HasFile() const { return !path.empty() && fs; }

    // "$$" + file name + "$$", in the same directory as the settings file.
    std::string TempPath() const;
    // The directory that holds the settings file ("." for a bare name).
    std::string Folder() const;
    // The settings file's name without its directory.
    std::string FileName() const;
};

enum class SettingsRead {
    Read,        // text holds the whole file
    Missing,     // there is no settings file
    NotAFile,    // the name is taken by a directory, a FIFO, a device, ...
    Unreadable,  // a regular file that cannot be opened or read
};

// The whole settings file, read in one go.
SettingsRead ReadSettingsText(const SettingsStore& store, std::string& text);

// Replaces the settings file with text in one step: the temporary file is
// written and closed, then renamed over the settings file. False on any
// failure; the settings file is then unchanged and the temporary file gone.
// Never creates a settings file that does not exist. The new text is flushed
// to the medium before the rename, and the rename after it. A settings file
// that is a link stays one: the file at the end of its links is replaced,
// through a temporary file in that file's folder; a chain of links that
// loops or dangles fails the save.
bool ReplaceSettingsText(const SettingsStore& store, const std::string& text);

// Creates an empty settings file (mode 0666 less the umask); false when one
// exists already or it cannot be created. Only the user's word at Exit leads
// here: nothing else ever creates the file.
bool CreateSettingsFile(const SettingsStore& store);
