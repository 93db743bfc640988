// Identifier adapter for POSIX systems: a version 4 (random) GUID from /dev/urandom.
#include <fcntl.h>
#include <unistd.h>

#include "platform/unique_id.h"

bool NewUniqueId(UniqueId* id) {
    uint8_t bytes[16];
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = read(fd, bytes + got, sizeof bytes - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got != sizeof bytes)
        return false;
    id->data1 = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    id->data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    // Version 4 in the top bits of data3, the RFC 4122 variant in data4[0].
    id->data3 = static_cast<uint16_t>(((bytes[6] & 0x0F) | 0x40) << 8 | bytes[7]);
    for (int k = 0; k < 8; ++k)
        id->data4[k] = bytes[8 + k];
    id->data4[0] = static_cast<uint8_t>((id->data4[0] & 0x3F) | 0x80);
    return true;
}
