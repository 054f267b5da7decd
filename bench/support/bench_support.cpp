#include "bench_support.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

extern char** environ;

void CreateFile(const std::string& path, time_t mtime) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
    futimens(fd, times);
    close(fd);
}

void WritePairSettings(const std::string& path, const std::string& a, const std::string& b, bool tree) {
    std::ofstream(path, std::ios::binary) << "[DIR0]\r\nDIRA=" << a << "\r\nDIRB=" << b << "\r\nMASK=\r\n"
                                          << (tree ? "SUBDIRS=1\r\n" : "") << "\r\n";
}

BenchTempDir::BenchTempDir() {
    const char* base = std::getenv("TMPDIR");
    m_path = std::string(base && *base ? base : "/tmp") + "/zoruna-bench-XXXXXX";
    if (!mkdtemp(m_path.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
}

BenchTempDir::~BenchTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string SiblingProgram(const char* name) {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string("./x");
    return path.substr(0, path.rfind('/') + 1) + name;
}

pid_t StartChild(const std::vector<std::string>& argv, const std::string& cwd, const std::string& outPath,
                 const std::vector<std::string>& extraEnv) {
    // Everything the child needs is built before fork.
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // The extra entries replace those of the same name.
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry = *e;
        const bool replaced = std::any_of(extraEnv.begin(), extraEnv.end(), [&](const std::string& extra) {
            return entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1);
        });
        if (!replaced) env.push_back(*e);
    }
    for (const std::string& e : extraEnv) env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        if (out < 0 || null < 0 || chdir(cwd.c_str()) != 0) _exit(127);
        dup2(out, 1);
        dup2(null, 2);
        execve(args[0], args.data(), env.data());
        _exit(127);
    }
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    return pid;
}

ChildRun RunChild(const std::vector<std::string>& argv, const std::string& cwd, const std::string& outPath) {
    ChildRun run;
    const double start = NowMs();
    const pid_t pid = StartChild(argv, cwd, outPath);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.wallMs = NowMs() - start;
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    run.maxRssKb = usage.ru_maxrss;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
