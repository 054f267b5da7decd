// Handles of the copy that clean up on every way out, an exception from an
// observer included: an open file is closed, a temporary file is removed
// unless it was committed.
#pragma once

#include <string>
#include <utility>

#include "core/filesystem.h"

class HandleGuard {
public:
    HandleGuard(FileSystem& fs, FileHandle h) : m_fs(&fs), m_handle(h) {}
    HandleGuard(HandleGuard&& other) noexcept
        : m_fs(other.m_fs), m_handle(std::exchange(other.m_handle, kInvalidHandle)) {}
    HandleGuard& operator=(HandleGuard&&) = delete;
    HandleGuard(const HandleGuard&) = delete;
    ~HandleGuard() {
        if (m_handle != kInvalidHandle) m_fs->Close(m_handle);
    }

    FileHandle get() const { return m_handle; }
    bool valid() const { return m_handle != kInvalidHandle; }
    // Closes now; false when closing reported an error (errno tells which).
    bool Close() { return m_fs->Close(std::exchange(m_handle, kInvalidHandle)); }

private:
    FileSystem* m_fs;
    FileHandle m_handle;
};

class TempFileGuard {
public:
    TempFileGuard() = default;
    TempFileGuard(FileSystem& fs, std::string path) : m_fs(&fs), m_path(std::move(path)) {}
    TempFileGuard(TempFileGuard&& other) noexcept
        : m_fs(other.m_fs), m_path(std::exchange(other.m_path, std::string())) {}
    TempFileGuard& operator=(TempFileGuard&& other) noexcept {
        if (this != &other) {
            Discard();
            m_fs = other.m_fs;
            m_path = std::exchange(other.m_path, std::string());
        }
        return *this;
    }
    TempFileGuard(const TempFileGuard&) = delete;
    ~TempFileGuard() { Discard(); }

    const std::string& path() const { return m_path; }
    // The file now lives on under another name: nothing left to remove.
    void Commit() { m_path.clear(); }

private:
    void Discard() {
        if (!m_path.empty()) m_fs->Remove(m_path);
        m_path.clear();
    }

    FileSystem* m_fs = nullptr;
    std::string m_path;
};
