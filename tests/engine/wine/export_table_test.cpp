// Loads the built gatewell.dll and walks the export directory of the loaded image:
// the host binds to exactly these eight undecorated names.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ExportedNames(HMODULE module) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    EXPECT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (directory.VirtualAddress == 0)
        return names;
    auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    EXPECT_EQ(exports->NumberOfFunctions, exports->NumberOfNames) << "no exports by ordinal only";
    return names;
}

TEST(GatewellExports, ExactlyTheEightEntryPointsByUndecoratedName) {
    HMODULE module = LoadLibraryA("gatewell.dll");
    ASSERT_NE(module, nullptr) << "error " << GetLastError();

    std::vector<std::string> names = ExportedNames(module);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"GetCountOfSessionWithTheSameIP",
                                               "GetRemoteMac",
                                               "IsConsoleSession",
                                               "TSEventLogon",
                                               "TSEventStartup",
                                               "VerifyUser_Logon",
                                               "VerifyUser_Startup",
                                               "stristr"};
    EXPECT_EQ(names, expected);

    // Each name resolves to code inside the image, and the one helper that needs no
    // Terminal Server answers through its export (cdecl, as declared here).
    for (const std::string& name : expected)
        EXPECT_NE(GetProcAddress(module, name.c_str()), nullptr) << name;
    using StristrFn = char*(__cdecl*)(const char*, const char*);
    auto findNoCase = reinterpret_cast<StristrFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "stristr")));
    ASSERT_NE(findNoCase, nullptr);
    const char text[] = "Terminal SERVER";
    EXPECT_EQ(findNoCase(text, "server"), text + 9);
    EXPECT_EQ(findNoCase(text, ""), nullptr);
    FreeLibrary(module);
}

} // namespace
