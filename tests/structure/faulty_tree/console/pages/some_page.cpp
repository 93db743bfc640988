#include "console/shell/main_frame.h"
