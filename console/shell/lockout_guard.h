// The guard before the configuration is written to the registry: the decision core
// runs over the console's own session with the configuration about to be written,
// as the library will at the next logon. When it would refuse, the administrator is
// asked first (No is the default). Silent where the library leaves the session
// alone: the console session, or when that cannot be told.
#pragma once

#include <string>

#include "config/config_model.h"

// The question the guard asks when `config` would refuse the own session; empty when
// it would not, or when the session is left alone. UTF-8.
std::string LockoutQuestion(const FilterConfigRecord& config);

// True when the configuration may be written: nothing to ask, or the answer was Yes.
bool ConfirmNoLockout(const FilterConfigRecord& config);
