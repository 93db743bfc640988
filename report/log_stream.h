// Streams the lines of a logon log in blocks, never holding the file between blocks:
// a library appending to it waits at most for one short read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Bytes read per open of the log.
constexpr size_t LOG_BLOCK_SIZE = 1 << 20;

// Called for each line in order, without its line end (LF or CR LF). `number` counts
// from 1. A last line without a line end is passed too; a line longer than any the
// library writes is passed cut, at least 64 KiB long, so the parser refuses it.
using LogLineVisitor = std::function<void(uint64_t number, std::string_view text)>;

// Reads the whole log. False with a sentence in *error when the file does not exist,
// cannot be opened (also after two seconds of waiting for a writer) or read, or is
// empty; lines already passed stay passed.
bool ReadLogLines(const std::string& path, const LogLineVisitor& visit, std::string* error);
