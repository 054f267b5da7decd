// The application object: makes sure one main dialog runs per user, runs it
// modally and ends the process when it closes.
#pragma once

#include <wx/app.h>
#include <wx/string.h>

#include <string>
#include <vector>

#include "core/filesystem.h"
#include "settings/ini_store.h"

class CDirCompareApp : public wxApp {
public:
    // args: the command-line arguments after the program path, as bytes;
    // store: where the main dialog keeps its settings; fs: what it compares
    // and copies through.
    CDirCompareApp(std::vector<std::string> args, SettingsStore store, FileSystem& fs)
        : m_args(std::move(args)), m_store(std::move(store)), m_fs(fs) {}

    // Runs the main dialog and returns false, so that no main loop follows
    // and the process ends. A second start while a main dialog exists asks
    // that dialog to come forward and ends here without showing anything.
    bool OnInit() override;

    // True once OnInit has run to its end (the process then ends normally).
    static bool Finished() { return s_finished; }

private:
    std::vector<std::string> m_args;
    SettingsStore m_store;
    FileSystem& m_fs;
    static inline bool s_finished = false;
};
