// The flushes that make a batch of copies durable: the temporary files' data
// before they are put in place, and the folders whose names changed after.
// Each result says which folders' flushes failed, so that no file is reported
// copied whose data or name may not have reached the disk.
#pragma once

#include <map>
#include <set>
#include <string>

#include "core/filesystem.h"

// The errno of each failed flush, by folder; a folder not in it was flushed.
using FlushFailures = std::map<std::string, int>;

// One SyncFileSystem for each file system that holds one of dirs: a file
// system is known by the device of its folders (one whose status cannot be
// read is flushed on its own), and one flush covers everything written to it.
// A failure is recorded for every folder of that file system.
FlushFailures SyncFileSystemsOf(FileSystem& fs, const std::set<std::string>& dirs);

// Makes the changed entries of dirs (names created or renamed) durable: a
// file system with one such folder gets that folder's SyncDirectory, one
// with more a single SyncFileSystem, which writes all of them (each folder's
// flush on ext4 waits for a journal commit of its own).
FlushFailures SyncChangedFolders(FileSystem& fs, const std::set<std::string>& dirs);

// SyncDirectory on each of dirs, for a run that flushes no whole file system.
FlushFailures SyncDirectories(FileSystem& fs, const std::set<std::string>& dirs);

// The errno of a failed flush that a file in dir depends on: that of dir
// itself or of a folder above it (a folder made for the file has its entry
// there). 0 when there is none.
int FailedFlushAbove(const FlushFailures& failures, const std::string& dir);
