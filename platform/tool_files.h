// Files and command line for the command-line tool: whole-file reads, writes that
// never leave half a file behind, and the arguments as UTF-8 texts. Paths are UTF-8.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Reads the whole file. False with a sentence in *error when it cannot.
bool ToolReadFile(const std::string& path, std::string* data, std::string* error);

// Writes the file through a temporary file beside it that is renamed over it, so a
// failure leaves the old file (or none) in place. False with *error when it fails.
bool ToolWriteFileAtomic(const std::string& path, const std::string& data, std::string* error);

// Writes the file as ToolWriteFileAtomic does, the bytes coming in pieces: `produce`
// hands each piece to the writer it is given and returns false to give up. The file
// is replaced only when `produce` returned true and every piece was written. False
// with *error when writing failed; false with *error empty when `produce` gave up.
using ToolPieceWriter = std::function<bool(const std::string& piece)>;
bool ToolWriteFileStreamed(const std::string& path,
                           const std::function<bool(const ToolPieceWriter& write)>& produce,
                           std::string* error);

// The program's arguments as UTF-8 (Windows reads the wide command line).
std::vector<std::string> ToolArguments(int argc, char** argv);
