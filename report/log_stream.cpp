#include "report/log_stream.h"

#include <cstring>
#include <memory>

#include "platform/log_reader.h"

namespace {

// A writer holds the log only for one line; two seconds of waiting means something
// else keeps it open.
const int BUSY_ATTEMPTS = 100;
const uint32_t BUSY_PAUSE_MS = 20;
// Longer than any line of the library: kept this far and no further.
const size_t LONGEST_KEPT_LINE = 64 * 1024;

LogReadResult ReadBlockWaiting(const std::string& path, uint64_t offset, char* buffer, size_t* got,
                               std::string* error) {
    for (int attempt = 0;; ++attempt) {
        LogReadResult result = LogReadBlock(path, offset, buffer, LOG_BLOCK_SIZE, got, error);
        if (result != LOG_READ_BUSY)
            return result;
        if (attempt + 1 == BUSY_ATTEMPTS) {
            *error = "cannot open '" + path + "': another program keeps it open";
            return result;
        }
        LogReadPause(BUSY_PAUSE_MS);
    }
}

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

bool ReadLogLines(const std::string& path, const LogLineVisitor& visit, std::string* error) {
    std::unique_ptr<char[]> buffer(new char[LOG_BLOCK_SIZE]);
    std::string carry; // the start of a line that runs on into the next block
    bool carryCut = false;
    uint64_t offset = 0;
    uint64_t number = 0;
    for (;;) {
        size_t got = 0;
        if (ReadBlockWaiting(path, offset, buffer.get(), &got, error) != LOG_READ_OK)
            return false;
        if (offset == 0 && got == 0) {
            *error = "'" + path + "' is empty";
            return false;
        }
        offset += got;
        const char* p = buffer.get();
        const char* end = p + got;
        while (p < end) {
            const char* newline = static_cast<const char*>(memchr(p, '\n', size_t(end - p)));
            if (newline == nullptr) {
                size_t room = LONGEST_KEPT_LINE - carry.size();
                size_t take = size_t(end - p) < room ? size_t(end - p) : room;
                carryCut = carryCut || take < size_t(end - p);
                carry.append(p, take);
                break;
            }
            std::string_view line(p, size_t(newline - p));
            if (!carry.empty() || carryCut) {
                if (!carryCut) {
                    size_t room = LONGEST_KEPT_LINE - carry.size();
                    carry.append(line.data(), line.size() < room ? line.size() : room);
                }
                visit(++number, WithoutCr(carry));
                carry.clear();
                carryCut = false;
            } else {
                visit(++number, WithoutCr(line));
            }
            p = newline + 1;
        }
        // A short block is the end of the file as it stands now.
        if (got < LOG_BLOCK_SIZE)
            break;
    }
    if (!carry.empty() || carryCut)
        visit(++number, WithoutCr(carry));
    return true;
}
