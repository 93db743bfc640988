// Whole files on Windows: a guard that closes a file handle, and saving a whole file so
// that a failure never costs the old one (the bytes go to a new file beside the target,
// which takes the target's place only once it is complete).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Owns a file handle (INVALID_HANDLE_VALUE for none) and closes it at the end of a scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid())
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes now; false when the system reports that the close failed (data written
    // may not have reached the file).
    bool Close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

// Writes `size` bytes to a fresh file in the folder of `path`, flushes it and moves it
// over `path`. On failure the fresh file is deleted, `path` is left as it was, the
// result is the Win32 error code and *step (when given) names what failed: "create",
// "write" or "replace". ERROR_SUCCESS when the file was replaced.
DWORD ReplaceWholeFile(const std::wstring& path, const void* data, size_t size, const char** step);
