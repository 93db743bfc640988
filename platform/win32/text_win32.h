// UTF-8 <-> UTF-16 for the adapters that call the wide Win32 functions.
#pragma once

#include <string>

std::wstring WidenUtf8(const char* text);
std::string NarrowToUtf8(const wchar_t* text);
