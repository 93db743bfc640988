#include "platform/win32/files_win32.h"

namespace {

DWORD Fail(const char* what, const char** step) {
    DWORD error = GetLastError();
    if (step != nullptr)
        *step = what;
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

} // namespace

DWORD ReplaceWholeFile(const std::wstring& path, const void* data, size_t size, const char** step) {
    if (size > MAXDWORD) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return Fail("write", step);
    }
    std::wstring folder = path;
    size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash + 1);
    // A name of its own in the same folder, so the final move stays on one volume.
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"gwc", 0, temporary) == 0)
        return Fail("create", step);

    DWORD error = ERROR_SUCCESS;
    bool complete = false;
    {
        FileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file.valid())
            error = Fail("create", step);
        else if ((size != 0 &&
                  (!WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) ||
                   written != size)) ||
                 !FlushFileBuffers(file.get()) || !file.Close())
            error = Fail("write", step);
        else
            complete = true;
    }
    if (complete &&
        !MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        complete = false;
        error = Fail("replace", step);
    }
    if (!complete)
        DeleteFileW(temporary);
    return error;
}
