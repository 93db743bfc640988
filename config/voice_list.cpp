// Voice lists: numbered texts, encoded as text bytes followed by number + 1 in one
// byte and a 0 byte per item, and one more 0 byte after the last.
#include "config/container_internal.h"

#include <cstdlib>
#include <cstring>

using namespace container_detail;

namespace {

int AddCountedVoiceItem(VoiceList* l, int32_t number, const void* text, size_t n) {
    if (l == nullptr || number < 0 || number > 254 || l->count == INT32_MAX) {
        return -1;
    }
    char* copy = CopyCountedText(text, n);
    if (copy == nullptr) {
        return -1;
    }
    size_t newCount = static_cast<size_t>(l->count) + 1;
    if (newCount > SIZE_MAX / sizeof(VoiceItem)) {
        free(copy);
        return -1;
    }
    VoiceItem* items = static_cast<VoiceItem*>(realloc(l->items, newCount * sizeof(VoiceItem)));
    if (items == nullptr) {
        free(copy);
        return -1;
    }
    l->items = items;
    l->items[l->count].number = number;
    l->items[l->count].text = copy;
    l->count++;
    return 0;
}

} // namespace

VoiceList* CreateVoiceList() {
    return static_cast<VoiceList*>(calloc(1, sizeof(VoiceList)));
}

int AddVoiceItem(VoiceList* l, int32_t number, const char* text) {
    if (text == nullptr) {
        text = "";
    }
    return AddCountedVoiceItem(l, number, text, strlen(text));
}

void FreeVoiceList(VoiceList* l) {
    if (l == nullptr) {
        return;
    }
    for (int32_t i = 0; i < l->count; i++) {
        free(l->items[i].text);
    }
    free(l->items);
    free(l);
}

namespace container_detail {

int EncodedVoiceListSize(const VoiceList* l, uint64_t* size) {
    uint64_t total = 1;
    for (int32_t i = 0; i < l->count; i++) {
        // The number travels as number + 1 in one non-zero byte.
        if (l->items[i].number < 0 || l->items[i].number > 254) {
            return CONTAINER_INCOMPLETE_TABLE;
        }
        total += (l->items[i].text != nullptr ? strlen(l->items[i].text) : 0) + 2;
        if (total > MAX_ENCODED_SIZE) {
            return -1;
        }
    }
    // An empty list is written as two 0 bytes, which the decoder reads as empty.
    *size = l->count == 0 ? 2 : total;
    return 0;
}

void WriteVoiceList(ByteWriter* w, const VoiceList* l) {
    if (l->count == 0) {
        w->Put8(0);
        w->Put8(0);
        return;
    }
    for (int32_t i = 0; i < l->count; i++) {
        const char* text = l->items[i].text != nullptr ? l->items[i].text : "";
        w->PutBytes(text, strlen(text));
        w->Put8(static_cast<uint8_t>(l->items[i].number + 1));
        w->Put8(0);
    }
    w->Put8(0);
}

VoiceList* DecodeVoiceList(const uint8_t* bytes, size_t n) {
    VoiceList* l = CreateVoiceList();
    if (l == nullptr) {
        return nullptr;
    }
    if (n <= 2 || (bytes[0] == 0 && bytes[1] == 0)) {
        return l;
    }
    size_t pos = 0;
    while (pos < n && bytes[pos] != 0) {
        // An item runs to the next 0 byte, or to the end of the value when the
        // terminator is missing; its last byte is number + 1.
        size_t itemLength = BoundedTextLength(bytes + pos, n - pos);
        int32_t number = static_cast<int32_t>(bytes[pos + itemLength - 1]) - 1;
        if (AddCountedVoiceItem(l, number, bytes + pos, itemLength - 1) != 0) {
            FreeVoiceList(l);
            return nullptr;
        }
        pos += itemLength + 1;
    }
    return l;
}

} // namespace container_detail
