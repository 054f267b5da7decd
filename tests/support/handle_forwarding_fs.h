// A FileSystem that forwards every call to another one, the calls on open
// directories included, so that a test sees the real layer's handles at
// work and can step in before chosen calls (to swap a folder for a link in
// the middle of a run, say).
#pragma once

#include <functional>
#include <string>

#include "support/forwarding_fs.h"

class HandleForwardingFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    // Called with the relative path before each OpenDirectoryBelow.
    std::function<void(const std::string& rel)> beforeOpenBelow;

    DirectoryHandle OpenDirectory(const std::string& dir) override { return m_target.OpenDirectory(dir); }
    bool OpenDirectoryBelow(const DirectoryHandle& base, const std::string& basePath, const std::string& rel,
                            DirectoryHandle& out) override {
        if (beforeOpenBelow) beforeOpenBelow(rel);
        return m_target.OpenDirectoryBelow(base, basePath, rel, out);
    }
    bool GetDirectoryStatus(const DirectoryHandle& dir, const std::string& path, FileStatus& st) override {
        return m_target.GetDirectoryStatus(dir, path, st);
    }
    bool ListFilesIn(const DirectoryHandle& dir, const std::string& path, FileListing& files, FileListing* subdirs,
                     const std::atomic<bool>* stop) override {
        return m_target.ListFilesIn(dir, path, files, subdirs, stop);
    }
    bool GetStatusAt(const DirectoryHandle& dir, const std::string& path, const std::string& name,
                     FileStatus& st) override {
        return m_target.GetStatusAt(dir, path, name, st);
    }
    bool GetLinkStatusAt(const DirectoryHandle& dir, const std::string& path, const std::string& name,
                         FileStatus& st) override {
        return m_target.GetLinkStatusAt(dir, path, name, st);
    }
    bool IsWritableAt(const DirectoryHandle& dir, const std::string& path, const std::string& name) override {
        return m_target.IsWritableAt(dir, path, name);
    }
    FileHandle OpenReadAt(const DirectoryHandle& dir, const std::string& path, const std::string& name) override {
        return m_target.OpenReadAt(dir, path, name);
    }
    FileHandle CreateAt(const DirectoryHandle& dir, const std::string& path, const std::string& name, bool exclusive,
                        unsigned mode) override {
        return m_target.CreateAt(dir, path, name, exclusive, mode);
    }
    bool RenameAt(const DirectoryHandle& dir, const std::string& path, const std::string& from,
                  const std::string& to) override {
        return m_target.RenameAt(dir, path, from, to);
    }
    bool RemoveAt(const DirectoryHandle& dir, const std::string& path, const std::string& name) override {
        return m_target.RemoveAt(dir, path, name);
    }
    bool SetTimesOfAt(const DirectoryHandle& dir, const std::string& path, const std::string& name, FileTime atime,
                      std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec) override {
        return m_target.SetTimesOfAt(dir, path, name, atime, atimeNsec, mtime, mtimeNsec);
    }
    bool CreateDirectoryAt(const DirectoryHandle& dir, const std::string& path, const std::string& name,
                           unsigned mode) override {
        return m_target.CreateDirectoryAt(dir, path, name, mode);
    }
    bool SetDirectoryTimesAndMode(const DirectoryHandle& dir, const std::string& path, FileTime atime,
                                  std::int32_t atimeNsec, FileTime mtime, std::int32_t mtimeNsec,
                                  unsigned mode) override {
        return m_target.SetDirectoryTimesAndMode(dir, path, atime, atimeNsec, mtime, mtimeNsec, mode);
    }
    bool GetHandleStatus(FileHandle h, FileStatus& st) override { return m_target.GetHandleStatus(h, st); }
    FileHandle OpenExistingAt(const DirectoryHandle& dir, const std::string& path, const std::string& name,
                              bool forWriting) override {
        return m_target.OpenExistingAt(dir, path, name, forWriting);
    }
    FileHandle DuplicateHandle(FileHandle h) override { return m_target.DuplicateHandle(h); }
    bool SetCopyMark(FileHandle h) override { return m_target.SetCopyMark(h); }
    bool HasCopyMark(FileHandle h) override { return m_target.HasCopyMark(h); }
    bool LockFile(FileHandle h) override { return m_target.LockFile(h); }
    bool IsLockedElsewhere(FileHandle h) override { return m_target.IsLockedElsewhere(h); }
};
