// Code page conversions through iconv, which knows the Windows code pages as "CPnnnn".
#include <errno.h>
#include <iconv.h>

#include <string>

#include "platform/codepage.h"

namespace {

// Owns one conversion descriptor.
class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns the number of input bytes consumed and sets
    // *failed when it stopped at a sequence it could not convert.
    size_t Run(const std::string& in, size_t start, std::string* out, bool* failed) {
        char* inPtr = const_cast<char*>(in.data()) + start;
        size_t inLeft = in.size() - start;
        char buffer[1024];
        *failed = false;
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out->append(buffer, sizeof buffer - outLeft);
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                *failed = true;
                break;
            }
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return in.size() - start - inLeft;
    }

private:
    iconv_t cd_;
};

std::string IconvName(uint32_t codePage) {
    return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage);
}

// Length of the well-formed UTF-8 sequence at `p` (of `left` bytes), or 0.
size_t Utf8SequenceLength(const unsigned char* p, size_t left) {
    if (p[0] < 0x80)
        return 1;
    size_t length = p[0] >= 0xF0 ? 4 : p[0] >= 0xE0 ? 3 : p[0] >= 0xC2 ? 2 : 0;
    if (length == 0 || p[0] > 0xF4 || length > left)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    }
    uint32_t c = p[0] & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
        c = (c << 6) | (p[k] & 0x3F);
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    return length;
}

// Windows reads a byte from 80 to 9F that a single-byte code page leaves undefined
// (81, 8D, 8F, 90 and 9D in 1252) as the control character of the same number, and
// writes that character back as the byte. iconv knows neither direction; doing the
// same here keeps every stored text the same through UTF-8 and back.
bool IsControlByteStandIn(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F;
}

bool ByteUndefined(const std::string& codePageName, unsigned char byte) {
    Converter converter("UTF-8", codePageName);
    std::string ignored;
    bool failed = false;
    converter.Run(std::string(1, static_cast<char>(byte)), 0, &ignored, &failed);
    return failed;
}

} // namespace

uint32_t SystemAnsiCodePage() {
    return 1252;
}

CodePageResult AnsiToUtf8(uint32_t codePage, const std::string& ansi, std::string* utf8,
                          bool* replaced) {
    Converter converter("UTF-8", IconvName(codePage));
    if (!converter.valid())
        return CODEPAGE_UNKNOWN;
    utf8->clear();
    if (replaced != nullptr)
        *replaced = false;
    size_t position = 0;
    while (position < ansi.size()) {
        bool failed = false;
        position += converter.Run(ansi, position, utf8, &failed);
        if (!failed)
            break;
        // A byte the code page does not define.
        const unsigned char byte = static_cast<unsigned char>(ansi[position]);
        if (IsControlByteStandIn(byte)) {
            utf8->push_back('\xC2');
            utf8->push_back(static_cast<char>(byte));
        } else {
            utf8->append("\xEF\xBF\xBD");
            if (replaced != nullptr)
                *replaced = true;
        }
        ++position;
    }
    return CODEPAGE_OK;
}

CodePageResult Utf8ToAnsi(uint32_t codePage, const std::string& utf8, std::string* ansi,
                          size_t* offset) {
    Converter converter(IconvName(codePage), "UTF-8");
    if (!converter.valid())
        return CODEPAGE_UNKNOWN;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t k = 0; k < utf8.size();) {
        size_t length = Utf8SequenceLength(bytes + k, utf8.size() - k);
        if (length == 0) {
            if (offset != nullptr)
                *offset = k;
            return CODEPAGE_BAD_UTF8;
        }
        k += length;
    }
    ansi->clear();
    size_t position = 0;
    while (position < utf8.size()) {
        bool failed = false;
        position += converter.Run(utf8, position, ansi, &failed);
        if (!failed)
            break;
        // U+0080 to U+009F stand for the bytes the code page leaves undefined.
        const unsigned char lead = bytes[position];
        const unsigned char next = position + 1 < utf8.size() ? bytes[position + 1] : 0;
        if (lead != 0xC2 || !IsControlByteStandIn(next) ||
            !ByteUndefined(IconvName(codePage), next)) {
            if (offset != nullptr)
                *offset = position;
            return CODEPAGE_UNMAPPABLE;
        }
        ansi->push_back(static_cast<char>(next));
        position += 2;
    }
    return CODEPAGE_OK;
}
