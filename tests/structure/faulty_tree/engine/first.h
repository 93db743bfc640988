#pragma once
#include "engine/second.h"
