// Files and arguments of the command-line tool on Windows: wide paths, so a name in
// any script opens, and the wide command line.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/tool_files.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/text_win32.h"

namespace {

std::string Describe(const char* what, const std::string& path) {
    DWORD error = GetLastError();
    std::string reason;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        reason = "no such file or folder";
    else if (error == ERROR_ACCESS_DENIED)
        reason = "access denied";
    else if (error == ERROR_SHARING_VIOLATION)
        reason = "the file is in use";
    else
        reason = "Windows error " + std::to_string(error);
    return std::string("cannot ") + what + " '" + path + "': " + reason;
}

} // namespace

bool ToolReadFile(const std::string& path, std::string* data, std::string* error) {
    FileHandle file(CreateFileW(WidenUtf8(path.c_str()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        *error = Describe("open", path);
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) {
        *error = "cannot read '" + path + "': the file is too large";
        return false;
    }
    data->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!data->empty() &&
        (!ReadFile(file.get(), &(*data)[0], static_cast<DWORD>(data->size()), &read, nullptr) ||
         read != data->size())) {
        *error = Describe("read", path);
        return false;
    }
    return true;
}

bool ToolWriteFileAtomic(const std::string& path, const std::string& data, std::string* error) {
    const char* step = "write";
    DWORD failure = ReplaceWholeFile(WidenUtf8(path.c_str()), data.data(), data.size(), &step);
    if (failure == ERROR_SUCCESS)
        return true;
    SetLastError(failure);
    *error = Describe(step, path);
    return false;
}

bool ToolWriteFileStreamed(const std::string& path,
                           const std::function<bool(const ToolPieceWriter& write)>& produce,
                           std::string* error) {
    error->clear();
    std::wstring wide = WidenUtf8(path.c_str());
    size_t slash = wide.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash + 1);
    // A name of its own in the same folder, so the final move stays on one volume.
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"gwc", 0, temporary) == 0) {
        *error = Describe("create", path);
        return false;
    }
    bool complete = false;
    {
        FileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            *error = Describe("create", path);
        } else {
            auto write = [&](const std::string& piece) {
                DWORD written = 0;
                if (piece.size() > MAXDWORD ||
                    (!piece.empty() &&
                     (!WriteFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()),
                                 &written, nullptr) ||
                      written != piece.size()))) {
                    *error = Describe("write", path);
                    return false;
                }
                return true;
            };
            if (produce(write) && error->empty()) {
                if (!FlushFileBuffers(file.get()) || !file.Close())
                    *error = Describe("write", path);
                else
                    complete = true;
            }
        }
    }
    if (complete &&
        !MoveFileExW(temporary, wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = Describe("replace", path);
        complete = false;
    }
    if (!complete)
        DeleteFileW(temporary);
    return complete;
}

std::vector<std::string> ToolArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int k = 0; k < count; ++k)
        arguments.push_back(NarrowToUtf8(wide[k]));
    LocalFree(wide);
    return arguments;
}
