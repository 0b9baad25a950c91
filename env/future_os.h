#pragma once

#include "platform/windows_api.h"

// On a Windows release newer than any the program knows: asks whether to go on,
// unless the machine-wide "DisableFutureOSWarning" switch is 1. True means go on.
// Without a text or a caption there is nothing to ask, and the answer is true.
bool ConfirmFutureOS(LPCWSTR text, LPCWSTR caption);
