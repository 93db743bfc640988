// The seven session filters. Each reads FilterConfig and the calling process's own
// session and returns 1 when the session passes or the filter is off. A start-up
// filter that rejects ends the process; ValidateSessionCount_User returns 0 after
// its over-limit rejection has asked for a logoff.
#pragma once

#include <cstdint>

#include "config/config_model.h"

int ValidateIPAddress();
int ValidateClientName();
int ValidateMACAddress();
int ValidateTime();
int ValidateVersion();
int ValidateSessionCount_IP();
int ValidateSessionCount_User();

// The match tests of the address and name filters, for one row.
int IpRowMatches(const IpRangeRow& row, uint32_t clientAddress);
int ComputerNameRowMatches(const ComputerNameRow& row, const char* clientName);
int MacRowMatches(const MacAddressRow& row, const char* macText);

// Seconds since midnight of a "%u:%u:%u" text (missing numbers read as 0).
uint32_t ParseTimeOfDay(const char* text);

// The version rules applied to one build: 1 when it passes all set rules.
int VersionAdmits(const FilterConfigRecord& config, uint32_t build);
