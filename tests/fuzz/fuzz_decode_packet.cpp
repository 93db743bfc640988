// Decodes arbitrary bytes as a packet; whatever decodes must encode to a blob that
// decodes again to the same encoding.
#include "config/container.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParamPacket* packet = nullptr;
    if (DecodePacket(data, size, &packet) != 0) {
        if (packet != nullptr) {
            abort(); // a failed decode hands nothing back
        }
        return 0;
    }
    uint8_t* blob = nullptr;
    size_t length = 0;
    if (EncodePacket(packet, &blob, &length) != 0) {
        abort();
    }
    ParamPacket* again = nullptr;
    if (DecodePacket(blob, length, &again) != 0 || again->count != packet->count) {
        abort();
    }
    uint8_t* blob2 = nullptr;
    size_t length2 = 0;
    if (EncodePacket(again, &blob2, &length2) != 0 || length2 != length ||
        memcmp(blob, blob2, length) != 0) {
        abort();
    }
    FreeBlob(blob2);
    FreeBlob(blob);
    FreePacket(again);
    FreePacket(packet);
    return 0;
}
