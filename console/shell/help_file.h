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

// The Help command: opens QUILLON.chm beside the running program with the shell (verb
// "open", no parameters, no working directory, shown normally). The result is not
// checked: a missing file or viewer shows nothing.
void OpenHelpFile(void* ownerWindow);

// F1: the help viewer at page `topic` of QUILLON.chm beside the running program (null:
// the help's start page, as OpenHelpFile); a missing file shows nothing.
void OpenHelpTopic(void* ownerWindow, const char* topic);

// Tests replace the shell's open: the hook gets the file and the parameters (null when
// none) the shell would be asked to open. Returns the previous hook; null restores the
// shell.
using ShellOpenHook = void (*)(const char* file, const char* parameters);
ShellOpenHook SetShellOpenHook(ShellOpenHook hook);
