// The logon log file: opened exclusively for one append at a time, so processes of
// different sessions take turns. The caller decides about retries.
#pragma once

#include <cstddef>
#include <cstdint>

using LogFileHandle = intptr_t;
constexpr LogFileHandle LOG_FILE_INVALID = -1;

// CreateFileA(path, read|write, no sharing, open-or-create, normal) then the file
// pointer moved to the end: the handle, or LOG_FILE_INVALID when the open failed.
LogFileHandle LogFileOpenForAppend(const char* path);
// WriteFile of `length` bytes: 0 when all were written, else -1.
int LogFileWrite(LogFileHandle file, const void* data, size_t length);
// CloseHandle.
void LogFileClose(LogFileHandle file);
