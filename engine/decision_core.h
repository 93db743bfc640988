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

// The filter's bit in an AuditOnly mask: 1 << (code - 1) for the code of its rules'
// refusal (0x1 IP address, 0x2 computer name, 0x4 MAC address, 0x8 client version, 0x10
// time, 0x20 sessions per address, 0x40 sessions per user); 0 for no filter.
uint32_t FilterAuditBit(FilterId filter);

// True when `verdict` refuses and its filter only audits under `auditMask` (AuditOnly's
// filter bits).
bool RefusalAudited(const FilterVerdict& verdict, uint32_t auditMask);

struct SessionDecision {
    bool admitted = true;
    int32_t code = 0;
    int refusedBy = -1; // the FilterId that refused, or -1
    // Refusals that were only audited: the FilterAuditBit of each such filter, and the
    // first of them (a FilterId, or -1). The session went on past each one.
    uint32_t audited = 0;
    int auditedBy = -1;
    // Copies of the box texts of the refusal (within their fields' bound).
    char caption[1024] = {};
    char message[1024] = {};
    FilterVerdict filters[FILTER_COUNT];
};

// The session-start filters, then the logon filter, in the library's order; the
// first that refuses ends the sequence and the later ones are not reached. A filter
// whose bit is set in `auditMask` (AuditOnly's filter bits; 0: every filter enforces)
// only audits: its refusal is marked audited and the next filter runs, as in the library.
void DecideSession(const FilterConfigRecord& config, FactSource& facts, SessionDecision* decision,
                   uint32_t auditMask = 0);

// The row tests of the address and name filters, for one row.
int IpRowMatches(const IpRangeRow& row, uint32_t clientAddress);
int ComputerNameRowMatches(const ComputerNameRow& row, const char* clientName);
int MacRowMatches(const MacAddressRow& row, const char* macText);

// Seconds since midnight of a "%u:%u:%u" text (missing numbers read as 0).
uint32_t ParseTimeOfDay(const char* text);

// The version rules applied to one build: 1 when it passes all set rules.
int VersionAdmits(const FilterConfigRecord& config, uint32_t build);
