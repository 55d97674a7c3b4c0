// Whole-file access for the engine and the run. Every backend implements
// these with the calls of its own system; the rules are the same everywhere.
#pragma once

#include <string>
#include <string_view>

enum class FileStatus {
    ok,
    openFailed,   // the file cannot be opened, or cannot be rewritten at all
    readFailed,   // reading stopped with an error before the end
    writeFailed,  // writing began but did not complete; nothing was replaced
};

// Reads the whole file, bytes as they are.
FileStatus ReadFileBytes(const char* path, std::string& bytes);

// True when the file exists and opens for reading.
bool FileOpensForReading(const char* path);

// Puts `bytes` in place of the file at `path`, or creates it. The bytes go
// to a temporary file in the same folder and reach the disk before that file
// takes the place of the original, so that at every moment a complete copy,
// old or new, is on disk. On failure the original is left as it was and the
// temporary file is removed.
FileStatus ReplaceFileBytes(const char* path, std::string_view bytes);
