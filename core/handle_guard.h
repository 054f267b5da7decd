// An open file of a FileSystem, closed on every way out.
#pragma once

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
