// The "FastResumeDisable" value of the USB HID driver's service key.
#pragma once

#include "platform/windows_api.h"

// The stored number; false when there is none to read (no key, no value, not a
// REG_DWORD, or the query failed).
bool ReadFastResumeDisable(DWORD& value);

// Stores REG_DWORD 1, creating the key when it is missing.
bool WriteFastResumeDisable();

// Removes the value; the key stays. Removing a value that is not there fails.
bool DeleteFastResumeDisable();

// Sets initialState and chosenState from the stored value.
void LoadFastResumeState();
