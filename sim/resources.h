// The program's resources as the platform's loader hands them out: one module
// (the executable), the language chosen by the user-interface language and its
// fallbacks.
#pragma once

#include "sim/res_file.h"
#include "sim/win32_api.h"

namespace sim::detail {

constexpr WORD kResourceTypeDialog = 5;
constexpr WORD kResourceTypeString = 6;

// The executable's module (its instance handle, or null for the process's own image).
bool IsProgramModule(HINSTANCE instance);

// The resource in the language the loader picks, or null.
const ResourceEntry* FindProgramResource(WORD type, const ResourceName& name);

// MAKEINTRESOURCE values carry an ordinal, anything else a string name.
ResourceName NameOfResourceArgument(LPCWSTR name);

}  // namespace sim::detail
