#include "app/gui_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/gui_module.h"
#include "cli/executable_dir.h"
#include "texts/texts.h"

#ifndef ZORUNA_GUI_MODULE_NAME
#define ZORUNA_GUI_MODULE_NAME "zoruna-gui.so"
#endif
#ifndef ZORUNA_GUI_MODULE_RELDIR
#define ZORUNA_GUI_MODULE_RELDIR "../lib/zoruna"
#endif

namespace {

std::string GuiModuleBesideExecutable(const std::string& exeDir) {
    return exeDir + "/" ZORUNA_GUI_MODULE_NAME;
}

std::string GuiModuleInstalled(const std::string& exeDir) {
    return exeDir + "/" ZORUNA_GUI_MODULE_RELDIR "/" ZORUNA_GUI_MODULE_NAME;
}

}  // namespace

int RunGuiModule(int argc, char** argv, const std::string& settingsFile) {
    const std::string dir = ExecutableDir();
    std::string why;  // the loader's reason; empty while no module was found
    void* module = nullptr;
    for (const std::string& path : {GuiModuleBesideExecutable(dir), GuiModuleInstalled(dir)}) {
        if (access(path.c_str(), F_OK) != 0) continue;
        // Loaded for the rest of the process: the window system does not
        // support being unloaded.
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module) break;
        const char* reason = dlerror();
        why = reason ? reason : path;
    }
    if (!module) {
        const std::string installed = GuiModuleInstalled(dir);
        const std::string message = why.empty() ? FormatText(TextId::GuiModuleNotFound, {installed})
                                                : FormatText(TextId::GuiModuleUnloadable, {installed, why});
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    const auto entry = reinterpret_cast<GuiModuleEntry>(dlsym(module, kGuiModuleEntry));
    if (!entry) {
        std::fprintf(stderr, "%s\n", FormatText(TextId::GuiModuleNoEntry, {dlerror()}).c_str());
        return 1;
    }
    return entry(argc, argv, settingsFile.c_str());
}
