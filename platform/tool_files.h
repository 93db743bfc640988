// Files and command line for the command-line tool: whole-file reads, writes that
// never leave half a file behind, and the arguments as UTF-8 texts. Paths are UTF-8.
#pragma once

#include <string>
#include <vector>

// Reads the whole file. False with a sentence in *error when it cannot.
bool ToolReadFile(const std::string& path, std::string* data, std::string* error);

// Writes the file through a temporary file beside it that is renamed over it, so a
// failure leaves the old file (or none) in place. False with *error when it fails.
bool ToolWriteFileAtomic(const std::string& path, const std::string& data, std::string* error);

// The program's arguments as UTF-8 (Windows reads the wide command line).
std::vector<std::string> ToolArguments(int argc, char** argv);
