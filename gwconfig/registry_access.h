// The registry copy of the configuration, read and written by the configuration store
// exactly as the library and the console do it. Only the Windows build has a registry;
// elsewhere these fail and say so.
#pragma once

#include <string>

// Fills FilterConfig (reset first) the way the library loads it; like the library,
// a machine without a stored configuration gets the default one written. False with
// the reason in *error.
bool LoadRegistryConfig(std::string* error);

// Writes FilterConfig as the console's apply command does ("tsdata", then "datasize").
bool ApplyRegistryConfig(std::string* error);
