// The IP address entry of the dialogs: the platform's four-field address control,
// read and written as dotted text. A control whose fields are all blank reads
// "0.0.0.0", which the dialogs treat like the empty text: no address.
#pragma once

#include <windows.h>

#include <cstddef>

// Room for the longest dotted address, "255.255.255.255", and its terminator.
using IpAddressText = char[16];

// True for the empty text and for "0.0.0.0".
bool IsNoIpAddress(const char* text);
// Parses four decimal fields of 0..255 joined by dots (blanks around the text
// allowed, nothing else). False when it is no such address.
bool ParseDottedIp(const char* text, unsigned char fields[4]);
// The control's address as "%d.%d.%d.%d" (blank fields read 0).
void ReadIpAddressControl(HWND control, char* out, size_t size);
// Shows `text` in the control; an empty or unreadable text leaves all fields blank.
void WriteIpAddressControl(HWND control, const char* text);
