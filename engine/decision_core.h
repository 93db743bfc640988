// The decision core: the seven filters as functions from a configuration and a
// session's facts to a verdict, with nothing done to the outside. The library runs
// them over its own session and then shows the box, logs, exits or logs off; the
// command-line check and the console run them over a described or their own session
// and explain the verdicts. Facts are asked for one at a time, when a filter reaches
// the point where it needs them, so a fact no filter needs is never read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_model.h"
#include "engine/filter_verdict.h"

// One filter over `config` and `facts`. An over-limit session with the switch to
// log off a disconnected one refuses with makeRoom set: room is for the caller to
// make.
FilterVerdict DecideFilter(FilterId filter, const FilterConfigRecord& config, FactSource& facts);

struct SessionDecision {
    bool admitted = true;
    int32_t code = 0;
    int refusedBy = -1; // the FilterId that refused, or -1
    // Copies of the box texts of the refusal (within their fields' bound).
    char caption[1024] = {};
    char message[1024] = {};
    FilterVerdict filters[FILTER_COUNT];
};

// The session-start filters, then the logon filter, in the library's order; the
// first that refuses ends the sequence and the later ones are not reached.
void DecideSession(const FilterConfigRecord& config, FactSource& facts, SessionDecision* decision);

// The row tests of the address and name filters, for one row.
int IpRowMatches(const IpRangeRow& row, uint32_t clientAddress);
int ComputerNameRowMatches(const ComputerNameRow& row, const char* clientName);
int MacRowMatches(const MacAddressRow& row, const char* macText);

// Seconds since midnight of a "%u:%u:%u" text (missing numbers read as 0).
uint32_t ParseTimeOfDay(const char* text);

// The version rules applied to one build: 1 when it passes all set rules.
int VersionAdmits(const FilterConfigRecord& config, uint32_t build);
