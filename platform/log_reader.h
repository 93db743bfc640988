// Reading the logon log while the library may be appending to it. The library opens
// the log exclusively and gives up after about two seconds of retries, so a reader
// never keeps it open: each block is read with its own open, shared for reading and
// writing, and the file is closed again before the block is handed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum LogReadResult : int {
    LOG_READ_OK = 0,
    LOG_READ_MISSING = 1, // no such file or folder
    LOG_READ_BUSY = 2,    // a writer holds the file right now: try again shortly
    LOG_READ_FAILED = 3,  // any other failure; *error says which
};

// Opens `path` (UTF-8) shared for reading and writing, reads up to `size` bytes from
// `offset` into `buffer`, and closes it. *got is the number of bytes read (0 at or past
// the end). On failure *error (optional) holds a sentence naming the file.
LogReadResult LogReadBlock(const std::string& path, uint64_t offset, char* buffer, size_t size,
                           size_t* got, std::string* error);

// Waits `milliseconds` before a reader tries a busy file again.
void LogReadPause(uint32_t milliseconds);

// A text that two paths share exactly when they name the same file (its volume and
// file number), so a log named twice is read once. False when the file cannot be
// opened; a writer holding it does not stop this.
bool LogFileIdentity(const std::string& path, std::string* identity);
