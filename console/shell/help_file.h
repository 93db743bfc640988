// The help file lives next to the program file.
#pragma once

#include <cstddef>

// "<drive><directory>\QUILLON.chm" for the program path `modulePath` (the directory
// part keeps its trailing backslash, so two backslashes come before the name; Windows
// reads them as one). False when it does not fit in `size` bytes.
bool BuildHelpFilePath(const char* modulePath, char* out, size_t size);

// Opens QUILLON.chm beside the running program with the shell; a missing file or
// viewer shows nothing.
void OpenHelpFile(void* ownerWindow);
