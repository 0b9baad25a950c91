// The program's one view of the Windows interface. The Windows build sees the
// platform's own header; the host build sees the simulated Windows, which
// declares exactly the subset the program calls.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "sim/win32_api.h"
#endif
