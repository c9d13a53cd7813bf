#pragma once

// Every timed run starts from the same state of the machine's disk and page cache, so that a
// run never pays for the one before it (its writes still being flushed) nor profits from it.
#include <string>
#include <vector>

// Flushes every pending write to the disk (sync), then drops the files a run wrote from the
// page cache (posix_fadvise DONTNEED) and removes them. Files that are not there are skipped.
void ResetWrittenFiles(const std::vector<std::string>& paths);

// Drops a file's clean pages from the page cache (a file the runs only read).
void DropCachedPages(const std::string& path);

// Makes a file the benchmark serves ready for the runs: flushed to the disk, then read once so
// that it sits in the page cache for every run of both sides alike. What is measured is the
// client, not the server's disk.
void CacheServedFile(const std::string& path);
