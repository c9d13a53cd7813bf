#pragma once

// The progress bar counts kilobytes: its range is the whole 1024-byte blocks of the content
// plus one, so that a file shorter than a kilobyte still has a range of one.
#include <cstdint>

// Upper end of the range (the lower is 0) for a content length in bytes, held to what the
// progress bar can count.
int ProgressUpperBound(std::uint64_t contentLength);

// The position for a count of blocks read, held to the same bound.
int ProgressPosition(std::uint64_t blocksRead);
