// A FileSystem that forwards every call to another one. Tests derive from it
// and override the calls whose failure they want to provoke.
//
// Directories are deliberately not opened: the calls on names in a directory
// keep the base versions, which go through the path calls here, so a test
// that overrides GetStatus or Rename sees the copy's calls on names too.
#pragma once

#include "core/filesystem.h"

class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& target = RealFileSystem()) : m_target(target) {}

    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        return m_target.ListDirectory(dir, out);
    }
    bool GetStatus(const std::string& path, FileStatus& st) override { return m_target.GetStatus(path, st); }
    FileHandle OpenRead(const std::string& path) override { return m_target.OpenRead(path); }
    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        return m_target.Create(path, exclusive, mode);
    }
    long long Read(FileHandle h, void* buf, std::size_t n) override { return m_target.Read(h, buf, n); }
    long long Write(FileHandle h, const void* buf, std::size_t n) override { return m_target.Write(h, buf, n); }
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        return m_target.CopyChunk(in, out, n);
    }
    bool SetMode(FileHandle h, unsigned mode) override { return m_target.SetMode(h, mode); }
    bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                  std::int32_t mtimeNsec) override {
        return m_target.SetTimes(h, atime, atimeNsec, mtime, mtimeNsec);
    }
    bool Close(FileHandle h) override { return m_target.Close(h); }
    bool Rename(const std::string& from, const std::string& to) override { return m_target.Rename(from, to); }
    bool Remove(const std::string& path) override { return m_target.Remove(path); }
    bool IsWritable(const std::string& path) override { return m_target.IsWritable(path); }
    bool GetLinkStatus(const std::string& path, FileStatus& st) override {
        return m_target.GetLinkStatus(path, st);
    }
    int TimeGranularity(const std::string& dir) override { return m_target.TimeGranularity(dir); }
    bool RealPath(const std::string& path, std::string& out) override { return m_target.RealPath(path, out); }
    bool SetTimesOf(const std::string& path, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                    std::int32_t mtimeNsec) override {
        return m_target.SetTimesOf(path, atime, atimeNsec, mtime, mtimeNsec);
    }
    bool SetOwner(FileHandle h, unsigned uid, unsigned gid) override { return m_target.SetOwner(h, uid, gid); }
    bool MayChangeOwners() override { return m_target.MayChangeOwners(); }
    unsigned CreationMask() override { return m_target.CreationMask(); }
    bool SyncData(FileHandle h) override { return m_target.SyncData(h); }
    bool SyncFileSystem(const std::string& dir) override { return m_target.SyncFileSystem(dir); }
    bool SyncDirectory(const std::string& dir) override { return m_target.SyncDirectory(dir); }
    void StartWriteback(FileHandle h) override { m_target.StartWriteback(h); }
    bool FindData(FileHandle h, std::uint64_t offset, std::uint64_t& start, std::uint64_t& end) override {
        return m_target.FindData(h, offset, start, end);
    }
    bool Seek(FileHandle h, std::uint64_t offset) override { return m_target.Seek(h, offset); }
    bool SetSize(FileHandle h, std::uint64_t size) override { return m_target.SetSize(h, size); }
    bool CloneFile(FileHandle in, FileHandle out) override { return m_target.CloneFile(in, out); }
    bool ListAttributesAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                          std::vector<std::string>& names) override {
        return m_target.ListAttributesAt(dir, dirPath, name, names);
    }
    bool GetAttributeAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                        const std::string& attribute, std::string& value) override {
        return m_target.GetAttributeAt(dir, dirPath, name, attribute, value);
    }
    bool SetAttribute(FileHandle h, const std::string& attribute, const std::string& value) override {
        return m_target.SetAttribute(h, attribute, value);
    }
    bool IsLockedDirectory(const DirectoryHandle& dir, const std::string& dirPath) override {
        return m_target.IsLockedDirectory(dir, dirPath);
    }
    bool EmptyFileAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name) override {
        return m_target.EmptyFileAt(dir, dirPath, name);
    }
    bool CreateDirectory(const std::string& path, unsigned mode) override {
        return m_target.CreateDirectory(path, mode);
    }
    bool SetModeOf(const std::string& path, unsigned mode) override { return m_target.SetModeOf(path, mode); }

protected:
    FileSystem& m_target;
};
