// Where the running program lies: the catalogs of the texts are looked for
// beside it, so a wrong folder silently leaves the program untranslated.
#include "cli/executable_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include "core/win32_text.h"
#endif

namespace {

TEST(ExecutableDir, IsTheFolderOfTheRunningProgram) {
    const std::string dir = ExecutableDir();
    ASSERT_NE(dir, ".") << "the system did not say";
#ifdef _WIN32
    EXPECT_EQ(dir.rfind("\\\\?\\", 0), std::string::npos) << "a path as the user writes it: " << dir;
    std::wstring wide;
    ASSERT_TRUE(Utf8ToWide(dir + "\\zoruna_core_tests.exe", wide)) << "UTF-8";
    const std::filesystem::path program = wide;
#else
    const std::filesystem::path program = dir + "/zoruna_core_tests";
#endif
    EXPECT_TRUE(std::filesystem::path(dir).is_absolute()) << dir;
    EXPECT_TRUE(std::filesystem::is_regular_file(program)) << program;
}

}  // namespace
