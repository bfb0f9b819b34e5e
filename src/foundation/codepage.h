// Windows-1252 <-> UTF-8 conversion; it lives with the platform layer, which
// converts at the screen, clipboard and terminal edges.
#pragma once

#include "platform/codepage.h"
