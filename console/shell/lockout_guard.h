// The guard before the configuration is written to the registry: the decision core
// runs over the console's own session with the configuration about to be written,
// as the library will at the next logon. When it would refuse, the administrator is
// asked first (No is the default). Silent where the library leaves the session
// alone: the console session, or when that cannot be told.
#pragma once

#include <cstdint>
#include <string>

#include "config/config_model.h"

// The filters whose bit `auditMask` holds (AuditOnly's filter bits) only audit, as they
// will in the library.
//
// The question the guard asks when `config` would refuse the own session; empty when
// it would not, or when the session is left alone. UTF-8.
std::string LockoutQuestion(const FilterConfigRecord& config, uint32_t auditMask = 0);

// What the guard tells, without asking, when the own session would be refused only by
// filters that audit ("would be refused, but the filter only audits: admitted"); empty
// otherwise. UTF-8.
std::string LockoutNotice(const FilterConfigRecord& config, uint32_t auditMask);

// True when the configuration may be written: nothing to ask, or the answer was Yes. A
// notice is shown with OK alone and lets the write go on.
bool ConfirmNoLockout(const FilterConfigRecord& config, uint32_t auditMask = 0);
