// The release a version answer classifies as, from the table of releases.
#pragma once

#include "env/win_version.h"
#include "sim/sim.h"

// `nativeArchitecture` is 0 when the native system information was not
// obtained; `queryFails`: a version query failed.
WinKind KindOf(const sim::VersionAnswer& version, WORD nativeArchitecture, bool queryFails);
