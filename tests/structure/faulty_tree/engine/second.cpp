#include "engine/first.h"
