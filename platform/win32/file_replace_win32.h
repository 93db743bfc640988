// Saving a whole file so that a failure never costs the old one: the bytes go to a new
// file beside the target, which takes the target's place only once it is complete.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Writes `size` bytes to a fresh file in the folder of `path`, flushes it and moves it
// over `path`. On failure the fresh file is deleted, `path` is left as it was, the
// result is the Win32 error code and *step (when given) names what failed: "create",
// "write" or "replace". ERROR_SUCCESS when the file was replaced.
DWORD ReplaceWholeFile(const std::wstring& path, const void* data, size_t size, const char** step);
