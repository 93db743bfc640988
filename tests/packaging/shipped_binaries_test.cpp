// What ships, read back with Windows' own calls: every program and library staged for
// the package carries the build's version resource, and every program the
// administrators' manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Shipped {
    std::string name;
    std::string path;
};

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = strlen(tail);
    return text.size() >= n && _stricmp(text.c_str() + text.size() - n, tail) == 0;
}

std::vector<Shipped> ShippedBinaries() {
    std::vector<Shipped> found;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(GW_PACKAGE_STAGE "/*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return found;
    do {
        std::string name = data.cFileName;
        if (EndsWith(name, ".exe") || EndsWith(name, ".dll"))
            found.push_back({name, std::string(GW_PACKAGE_STAGE "/") + name});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

bool Ships(const std::vector<Shipped>& files, const char* name) {
    for (const Shipped& file : files)
        if (_stricmp(file.name.c_str(), name) == 0)
            return true;
    return false;
}

// A string of the version resource's first translation, or "<absent>".
std::string VersionString(const std::vector<BYTE>& info, const char* key) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof *translation)
        return "<no translation>";
    char path[128];
    snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
             translation->codePage, key);
    char* value = nullptr;
    if (!VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&value), &size) || !value)
        return "<absent>";
    return std::string(value, strnlen(value, size));
}

std::string ManifestOf(const std::string& path) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded)
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

} // namespace

TEST(ShippedBinaries, CarryTheBuildVersion) {
    const std::vector<Shipped> files = ShippedBinaries();
    EXPECT_TRUE(Ships(files, "quillon.exe"));
    EXPECT_TRUE(Ships(files, "gatewell.dll"));
    const std::string version = GW_VERSION;
    for (const Shipped& file : files) {
        SCOPED_TRACE(file.name);
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(file.path.c_str(), &ignored);
        ASSERT_NE(0u, size) << "no version resource";
        std::vector<BYTE> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(file.path.c_str(), 0, size, info.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        ASSERT_TRUE(
            VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
        ASSERT_GE(fixedSize, sizeof *fixed);
        EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(GW_VERSION_MINOR, GW_VERSION_MAJOR)),
                  fixed->dwFileVersionMS);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, GW_VERSION_PATCH)), fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
        EXPECT_EQ(static_cast<DWORD>(EndsWith(file.name, ".exe") ? VFT_APP : VFT_DLL),
                  fixed->dwFileType);

        EXPECT_EQ("Marrowby", VersionString(info, "CompanyName"));
        EXPECT_EQ("Gatewell", VersionString(info, "ProductName"));
        EXPECT_EQ(version, VersionString(info, "FileVersion"));
        EXPECT_EQ(version, VersionString(info, "ProductVersion"));
        EXPECT_EQ(file.name, VersionString(info, "OriginalFilename"));
        const std::string description = VersionString(info, "FileDescription");
        EXPECT_FALSE(description.empty() || description[0] == '<') << description;
    }
}

TEST(ShippedBinaries, ProgramsCarryTheAdministratorsManifest) {
    int programs = 0;
    for (const Shipped& file : ShippedBinaries()) {
        if (!EndsWith(file.name, ".exe"))
            continue;
        SCOPED_TRACE(file.name);
        ++programs;
        const std::string manifest = ManifestOf(file.path);
        ASSERT_FALSE(manifest.empty()) << "no manifest at resource 1";
        EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
        EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" "
                                                   "version=\"6.0.0.0\""));
        EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
        EXPECT_NE(std::string::npos, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));

        // The system's own manifest reader accepts it.
        ACTCTXA context = {};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = file.path.c_str();
        context.lpResourceName = MAKEINTRESOURCEA(1);
        HANDLE activation = CreateActCtxA(&context);
        EXPECT_NE(INVALID_HANDLE_VALUE, activation) << "error " << GetLastError();
        if (activation != INVALID_HANDLE_VALUE)
            ReleaseActCtx(activation);
    }
    EXPECT_GE(programs, 1);
}
