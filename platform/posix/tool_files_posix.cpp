// Files and arguments of the command-line tool on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/tool_files.h"

namespace {

std::string Describe(const char* what, const std::string& path) {
    return std::string("cannot ") + what + " '" + path + "': " + strerror(errno);
}

// Closes a descriptor at the end of a scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting whether the data reached the file.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

private:
    int fd_;
};

} // namespace

bool ToolReadFile(const std::string& path, std::string* data, std::string* error) {
    Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        *error = Describe("open", path);
        return false;
    }
    data->clear();
    struct stat info;
    if (fstat(file.get(), &info) == 0 && info.st_size > 0)
        data->reserve(static_cast<size_t>(info.st_size)); // read once, without regrowing
    char buffer[65536];
    for (;;) {
        ssize_t got = read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *error = Describe("read", path);
            return false;
        }
        if (got == 0)
            return true;
        data->append(buffer, static_cast<size_t>(got));
    }
}

bool ToolWriteFileAtomic(const std::string& path, const std::string& data, std::string* error) {
    std::string temporary = path + ".tmp-" + std::to_string(getpid());
    {
        Descriptor file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (file.get() < 0) {
            *error = Describe("create", temporary);
            return false;
        }
        size_t done = 0;
        while (done < data.size()) {
            ssize_t put = write(file.get(), data.data() + done, data.size() - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                *error = Describe("write", temporary);
                unlink(temporary.c_str());
                return false;
            }
            done += static_cast<size_t>(put);
        }
        if (fsync(file.get()) != 0 || !file.Close()) {
            *error = Describe("write", temporary);
            unlink(temporary.c_str());
            return false;
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        *error = Describe("replace", path);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool ToolWriteFileStreamed(const std::string& path,
                           const std::function<bool(const ToolPieceWriter& write)>& produce,
                           std::string* error) {
    error->clear();
    std::string temporary = path + ".tmp-" + std::to_string(getpid());
    bool complete = false;
    {
        Descriptor file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (file.get() < 0) {
            *error = Describe("create", temporary);
            return false;
        }
        off_t written = 0;
        auto write = [&](const std::string& piece) {
            size_t done = 0;
            while (done < piece.size()) {
                ssize_t put = ::write(file.get(), piece.data() + done, piece.size() - done);
                if (put < 0 && errno == EINTR)
                    continue;
                if (put < 0) {
                    *error = Describe("write", temporary);
                    return false;
                }
                done += static_cast<size_t>(put);
            }
#if defined(SYNC_FILE_RANGE_WRITE)
            // The disk starts on this piece while the next is made: the flush at the end
            // then waits only for the last.
            sync_file_range(file.get(), written, static_cast<off_t>(piece.size()),
                            SYNC_FILE_RANGE_WRITE);
#endif
            written += static_cast<off_t>(piece.size());
            return true;
        };
        if (produce(write) && error->empty()) {
            if (fsync(file.get()) != 0 || !file.Close())
                *error = Describe("write", temporary);
            else
                complete = true;
        }
    }
    if (complete && rename(temporary.c_str(), path.c_str()) != 0) {
        *error = Describe("replace", path);
        complete = false;
    }
    if (!complete)
        unlink(temporary.c_str());
    return complete;
}

std::vector<std::string> ToolArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}
