#pragma once
// A platform floor reaching sideways to one it may not use.
#include "platform/dshow/WinTypes.h"
