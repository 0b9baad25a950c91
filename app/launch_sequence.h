#pragma once

#include "platform/windows_api.h"

// Exit code of a run that refused to go on (all bits set).
constexpr int kExitRefused = -1;
constexpr int kExitCompleted = 0;

// The whole life of the process, from the module instance handle to the exit code.
int RunLaunchSequence(HINSTANCE instance);
