// Helpers shared by the benchmark programs: generated files, temporary
// folders, child processes timed as whole processes, and medians.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>
#include <vector>

// An empty file with the given modification time; exits on failure.
void CreateFile(const std::string& path, time_t mtime);

// Writes a settings file at path that registers the one pair a-b (comparing
// whole trees when tree is set).
void WritePairSettings(const std::string& path, const std::string& a, const std::string& b, bool tree = false);

// A fresh folder under $TMPDIR (or /tmp), removed with all it holds when
// the object goes.
class BenchTempDir {
public:
    BenchTempDir();
    ~BenchTempDir();
    BenchTempDir(const BenchTempDir&) = delete;
    BenchTempDir& operator=(const BenchTempDir&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// A program built into the same folder as the running benchmark.
std::string SiblingProgram(const char* name);

// Starts argv[0] with argv in folder cwd, stdout to outPath, stderr to
// /dev/null, with the extra environment entries ("NAME=value") set.
pid_t StartChild(const std::vector<std::string>& argv, const std::string& cwd, const std::string& outPath,
                 const std::vector<std::string>& extraEnv = {});

// One finished child process, measured from its start to its exit.
struct ChildRun {
    double wallMs = 0;
    double cpuMs = 0;   // user + system
    long maxRssKb = 0;  // peak resident memory
    int exitStatus = -1;  // -1 when it did not exit normally
};
ChildRun RunChild(const std::vector<std::string>& argv, const std::string& cwd,
                  const std::string& outPath = "/dev/null");

double Median(std::vector<double> v);
double NowMs();
