#pragma once

#include "platform/windows_api.h"

// Capacity, in UTF-16 units, of every buffer a resource string is loaded into.
constexpr int kTextCapacity = 260;

// Shows string stringId of the string table in a message box captioned with
// the program's title; returns the pressed button.
int ShowMessage(UINT stringId, UINT boxType);
