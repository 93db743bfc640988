// Bad input anywhere gives a clear message, exit code 2 and no file: missing files,
// blobs that do not decode, JSON syntax errors, options that do not parse. And the
// registry file export-reg writes.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "gwconfig/reg_export.h"

TEST(Commands, BadInputIsRefusedWithExitCode2AndNothingWritten) {
    ScratchDir dir;
    WriteFile(dir.Path("random.WTS"), std::string("\x99 not a configuration", 22));
    WriteFile(dir.Path("empty.WTS"), "");
    WriteFile(dir.Path("broken.json"), "{\n  \"FLAG_TIME\": ,\n}");
    const std::string out = dir.Path("out.WTS");
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"show", dir.Path("missing.WTS")}, "cannot open '" + dir.Path("missing.WTS") + "'"},
        {{"show", dir.Path("random.WTS")}, "does not decode as a configuration file"},
        {{"show", dir.Path("empty.WTS")}, "is empty"},
        {{"build", dir.Path("broken.json"), "-o", out}, "parse error at line 2, column 16"},
        {{"export-reg", dir.Path("random.WTS"), "-o", out}, "does not decode"},
        {{"show", dir.Path("empty.WTS"), "--format", "xml"}, "--format"},
        {{"show", "--registry"}, "there is no registry on this system"},
        {{"show", dir.Path("empty.WTS"), "--codepage", "4242"}, "code page 4242 is not known"},
        {{"diff", dir.Path("empty.WTS")}, "diff compares two configurations"},
        {{"check", dir.Path("empty.WTS"), "--ip", "1.2.3.4", "--mac", "00-11"}, "--mac"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
    };
    for (const Case& c : cases) {
        CommandResult result = Gwconfig(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.arguments[0] << " " << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos)
            << c.message << "\ngot: " << result.err;
        EXPECT_FALSE(Exists(out)) << c.message;
    }
}

namespace {

// The registry file as ASCII text (it is UTF-16LE with a byte-order mark).
std::string RegText(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::string text;
    for (size_t k = 2; k + 1 < bytes.size(); k += 2) {
        EXPECT_EQ(bytes[k + 1], '\0');
        text += bytes[k];
    }
    return text;
}

} // namespace

TEST(Commands, RegistryFileCarriesTheBlobAndItsLengthInThatOrder) {
    std::string blob;
    for (int k = 0; k < 60; ++k)
        blob += static_cast<char>(k * 7);
    std::string text = RegText(RegistryFileBytes(blob, RegistryView::VIEW_64));
    EXPECT_EQ(text.substr(0, 40), "Windows Registry Editor Version 5.00\r\n\r\n");
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Marrowby\\Gatewell]\r\n"),
              std::string::npos);
    size_t data = text.find("\"tsdata\"=hex:");
    size_t size = text.find("\"datasize\"=dword:0000003c\r\n");
    ASSERT_NE(data, std::string::npos);
    ASSERT_NE(size, std::string::npos);
    EXPECT_LT(data, size);
    // The hex bytes, over continued lines, read back as the blob.
    std::string hex = text.substr(data + 13, size - data - 13), back;
    for (size_t k = 0; k + 1 < hex.size(); ++k) {
        if (isxdigit(static_cast<unsigned char>(hex[k])) &&
            isxdigit(static_cast<unsigned char>(hex[k + 1]))) {
            back += static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16));
            ++k;
        }
    }
    EXPECT_EQ(back, blob);
    EXPECT_NE(RegText(RegistryFileBytes(blob, RegistryView::VIEW_32))
                  .find("[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Marrowby\\Gatewell]"),
              std::string::npos);
}
