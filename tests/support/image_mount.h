// A file system image made and mounted under a test's temporary folder for
// the life of the object, for tests that need a file system /tmp is not.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>

#include "support/temp_dir.h"

class ImageMount {
public:
    // makeFs and mount are shell commands run with the image's path
    // appended (mount also with the mount point); unmount with the mount
    // point appended.
    ImageMount(const TempDir& t, const std::string& name, const std::string& size, const std::string& makeFs,
               const std::string& mount, std::string unmount)
        : m_image(t / (name + ".img")), m_dir(t.MakeDir(name)), m_unmount(std::move(unmount)) {
        const std::string make = "truncate -s " + size + " '" + m_image + "' && " + makeFs + " '" + m_image +
                                 "' >/dev/null 2>&1";
        m_mounted = std::system(make.c_str()) == 0 &&
                    std::system((mount + " '" + m_image + "' '" + m_dir + "' >/dev/null 2>&1").c_str()) == 0;
    }
    ~ImageMount() {
        if (m_mounted) std::system((m_unmount + " '" + m_dir + "'").c_str());
    }
    ImageMount(const ImageMount&) = delete;
    ImageMount& operator=(const ImageMount&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& dir() const { return m_dir; }

private:
    std::string m_image;
    std::string m_dir;
    std::string m_unmount;
    bool m_mounted = false;
};
