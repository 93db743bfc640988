// Block reads of the logon log on POSIX systems (logs copied from a server).
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/log_reader.h"

LogReadResult LogReadBlock(const std::string& path, uint64_t offset, char* buffer, size_t size,
                           size_t* got, std::string* error) {
    *got = 0;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int code = errno;
        if (error != nullptr)
            *error = "cannot open '" + path + "': " + strerror(code);
        return code == ENOENT || code == ENOTDIR ? LOG_READ_MISSING : LOG_READ_FAILED;
    }
    LogReadResult result = LOG_READ_OK;
    while (*got < size) {
        ssize_t n = pread(fd, buffer + *got, size - *got, static_cast<off_t>(offset + *got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (error != nullptr)
                *error = "cannot read '" + path + "': " + strerror(errno);
            result = LOG_READ_FAILED;
            break;
        }
        if (n == 0)
            break;
        *got += static_cast<size_t>(n);
    }
    close(fd);
    return result;
}

void LogReadPause(uint32_t milliseconds) {
    struct timespec wait = {static_cast<time_t>(milliseconds / 1000),
                            static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

bool LogFileIdentity(const std::string& path, std::string* identity) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    *identity = std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    return true;
}
