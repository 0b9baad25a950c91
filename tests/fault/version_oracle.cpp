#include "tests/fault/version_oracle.h"

namespace {

WinKind KindOfNt(const sim::VersionAnswer& version, WORD nativeArchitecture) {
    const bool workstation = version.productType == VER_NT_WORKSTATION;
    if (version.major > 6) {
        return WinFuture;
    }
    if (version.major == 6) {
        if (version.minor == 0) {
            return workstation ? WinVista : WinServer2008;
        }
        return workstation ? Win7 : WinServer2008R2;
    }
    if (version.major < 5) {
        return WinNT4;
    }
    if (version.minor >= 2) {
        return workstation && nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? WinXP : WinServer2003;
    }
    return version.minor == 1 ? WinXP : Win2000;
}

}  // namespace

WinKind KindOf(const sim::VersionAnswer& version, WORD nativeArchitecture, bool queryFails) {
    if (queryFails) {
        return WinUnknown;
    }
    switch (version.platformId) {
        case VER_PLATFORM_WIN32s:
            return Win32s;
        case VER_PLATFORM_WIN32_WINDOWS:
            return version.minor >= 90 ? WinMe : version.minor >= 10 ? Win98 : Win95;
        case VER_PLATFORM_WIN32_NT:
            return KindOfNt(version, nativeArchitecture);
        default:
            return WinUnknown;
    }
}
