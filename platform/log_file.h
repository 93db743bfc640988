// The logon log file: opened exclusively for one append at a time, so processes of
// different sessions take turns. The caller decides about retries.
#pragma once

#include <cstddef>
#include <cstdint>

using LogFileHandle = intptr_t;
constexpr LogFileHandle LOG_FILE_INVALID = -1;

// CreateFileA(path, read|write, no sharing, open-or-create, normal): the handle, or
// LOG_FILE_INVALID when the open failed.
LogFileHandle LogFileOpenForAppend(const char* path);
// Appends `length` bytes: the file pointer is moved to the end with its full 64-bit
// position, then WriteFile. 0 when all were written; -1 otherwise, and nothing is
// written when the move failed, so a line never lands on earlier ones.
int LogFileWrite(LogFileHandle file, const void* data, size_t length);
// CloseHandle.
void LogFileClose(LogFileHandle file);
