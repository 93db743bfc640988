#include "config/audit_only_setting.h"

uint32_t AuditOnlySettingValue = 0;
