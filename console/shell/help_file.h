// The help file lives next to the program file.
#pragma once

#include <cstddef>

// "<drive><directory>\QUILLON.chm" for the program path `modulePath` (the directory
// part keeps its trailing backslash, so two backslashes come before the name; Windows
// reads them as one). False when it does not fit in `size` bytes.
bool BuildHelpFilePath(const char* modulePath, char* out, size_t size);

// The help viewer's argument for `topic` (a page of the help, "ip_address.htm") of help
// file `helpPath`: "<helpPath>::/<topic>", in quotes (the path may hold blanks). False when it does
// not fit in `size` bytes.
bool BuildHelpTopicArgument(const char* helpPath, const char* topic, char* out, size_t size);

// Opens QUILLON.chm beside the running program with the shell, at page `topic` when one
// is named (null: the help's start page); a missing file or viewer shows nothing.
void OpenHelpFile(void* ownerWindow, const char* topic = nullptr);
