// The rules of each filter, one function per filter, called by DecideFilter. Each
// fills a verdict whose filter, outcome (FILTER_NOT_REACHED) and switch are set.
#pragma once

#include "engine/filter_verdict.h"

void DecideIpAddress(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict);
void DecideComputerName(const FilterConfigRecord& config, FactSource& facts,
                        FilterVerdict* verdict);
void DecideMacAddress(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict);
void DecideTime(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict);
void DecideVersion(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict);
void DecideSessionCountIp(const FilterConfigRecord& config, FactSource& facts,
                          FilterVerdict* verdict);
void DecideSessionCountUser(const FilterConfigRecord& config, FactSource& facts,
                            FilterVerdict* verdict);

// Marks the verdict refused with `code` and the box the client would see.
inline void Refuse(FilterVerdict* verdict, int32_t code, const char* message, const char* caption) {
    verdict->outcome = FILTER_REFUSES;
    verdict->code = code;
    verdict->message = message;
    verdict->caption = caption;
}

// A fact could not be read: the filter refuses with a box of its own.
inline void RefuseUnavailable(FilterVerdict* verdict, FactId fact, int32_t code,
                              const char* message, const char* caption) {
    verdict->unavailable = fact;
    Refuse(verdict, code, message, caption);
}
