// The floor that a comparison of two directories cannot go below on one
// thread: list each directory given and query the status of every entry
// relative to the open directory, nothing else. With -r first, it walks the
// trees below them too, depth first, without following links. Prints the
// number of regular files found.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

long files = 0;

bool List(const std::string& path, bool tree) {
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        std::perror(path.c_str());
        return false;
    }
    const int fd = dirfd(dir);
    bool ok = true;
    while (const dirent* e = readdir(dir)) {
        if (tree && e->d_type == DT_DIR) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                ok = List(path + "/" + e->d_name, tree) && ok;
            continue;
        }
        struct stat st;
        if (fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) ++files;
    }
    closedir(dir);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const bool tree = argc > 1 && std::strcmp(argv[1], "-r") == 0;
    for (int i = tree ? 2 : 1; i < argc; ++i)
        if (!List(argv[i], tree)) return 2;
    std::printf("%ld\n", files);
    return 0;
}
