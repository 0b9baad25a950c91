#include "env/win_version.h"

namespace {

typedef void(WINAPI* GetNativeSystemInfoFunction)(LPSYSTEM_INFO);
typedef BOOL(WINAPI* GetProductInfoFunction)(DWORD, DWORD, DWORD, DWORD, PDWORD);

// Both functions are missing from older kernel32 releases, so they are looked
// up by name instead of imported.
template <typename Function>
Function LookUpFunction(HMODULE module, LPCSTR name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

Bitness BitnessOf(WORD architecture) {
    switch (architecture) {
        case PROCESSOR_ARCHITECTURE_INTEL:
            return Bits32;
        case PROCESSOR_ARCHITECTURE_IA64:
        case PROCESSOR_ARCHITECTURE_AMD64:
        case PROCESSOR_ARCHITECTURE_IA32_ON_WIN64:
            return Bits64;
        default:
            return BitsUnknown;
    }
}

WinKind ClassifyWindows9x(DWORD minorVersion) {
    if (minorVersion >= 90) {
        return WinMe;
    }
    return minorVersion >= 10 ? Win98 : Win95;
}

WinKind ClassifyNt5(const VersionReport& report, bool isWorkstation) {
    if (report.minorVersion >= 2) {
        // 5.2 workstation exists only as XP for x64; everything else at 5.2 is Server 2003.
        const bool isXpX64 = isWorkstation && report.nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
        return isXpX64 ? WinXP : WinServer2003;
    }
    return report.minorVersion == 1 ? WinXP : Win2000;
}

WinKind ClassifyNt(const VersionReport& report) {
    const bool isWorkstation = report.productType == VER_NT_WORKSTATION;
    if (report.majorVersion > 6) {
        return WinFuture;
    }
    if (report.majorVersion == 6) {
        if (report.minorVersion >= 1) {
            return isWorkstation ? Win7 : WinServer2008R2;
        }
        return isWorkstation ? WinVista : WinServer2008;
    }
    if (report.majorVersion == 5) {
        return ClassifyNt5(report, isWorkstation);
    }
    return WinNT4;
}

void CopyBounded(WCHAR* destination, int capacity, const WCHAR* source) {
    int copied = 0;
    while (copied + 1 < capacity && source[copied] != 0) {
        destination[copied] = source[copied];
        ++copied;
    }
    destination[copied] = 0;
}

}  // namespace

WinKind ClassifyWindows(const VersionReport& report) {
    switch (report.platformId) {
        case VER_PLATFORM_WIN32s:
            return Win32s;
        case VER_PLATFORM_WIN32_WINDOWS:
            return ClassifyWindows9x(report.minorVersion);
        case VER_PLATFORM_WIN32_NT:
            return ClassifyNt(report);
        default:
            return WinUnknown;
    }
}

CWinVersion::CWinVersion()
    : m_systemInfo(),
      m_versionInfo(),
      m_kind(WinUnknown),
      m_bitness(BitsUnknown),
      m_editionFlags(0),
      m_servicePackMajor(0),
      m_servicePackText(),
      m_productType(0) {
    m_versionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    ReadNativeSystemInfo(kernel32);
    ReadEditionFlags();
    if (!GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&m_versionInfo))) {
        return;
    }
    m_kind = QueryAndClassify();
    m_servicePackMajor = m_versionInfo.wServicePackMajor;
    CopyServicePackText();
    ReadProductType(kernel32);
}

CWinVersion::~CWinVersion() = default;

void CWinVersion::ReadNativeSystemInfo(HMODULE kernel32) {
    if (kernel32 == nullptr) {
        return;
    }
    const auto getNativeSystemInfo =
        LookUpFunction<GetNativeSystemInfoFunction>(kernel32, "GetNativeSystemInfo");
    if (getNativeSystemInfo == nullptr) {
        return;
    }
    getNativeSystemInfo(&m_systemInfo);
    m_bitness = BitnessOf(m_systemInfo.wProcessorArchitecture);
}

void CWinVersion::ReadEditionFlags() {
    if (GetSystemMetrics(SM_TABLETPC) != 0) {
        m_editionFlags |= EditionTabletPC;
    }
    if (GetSystemMetrics(SM_MEDIACENTER) != 0) {
        m_editionFlags |= EditionMediaCenter;
    }
    if (GetSystemMetrics(SM_STARTER) != 0) {
        m_editionFlags |= EditionStarter;
    }
}

// NT 5 and later report the service pack and the product type only in the
// extended structure, which needs a second query; its numbers replace those of
// the first, but the platform it reports is not looked at again.
WinKind CWinVersion::QueryAndClassify() {
    const DWORD platformId = m_versionInfo.dwPlatformId;
    if (platformId == VER_PLATFORM_WIN32_NT && m_versionInfo.dwMajorVersion >= 5) {
        m_versionInfo = OSVERSIONINFOEXW();
        m_versionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (!GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&m_versionInfo))) {
            return WinUnknown;
        }
    }
    const VersionReport report = {platformId, m_versionInfo.dwMajorVersion, m_versionInfo.dwMinorVersion,
                                  m_versionInfo.wProductType, m_systemInfo.wProcessorArchitecture};
    return ClassifyWindows(report);
}

void CWinVersion::CopyServicePackText() {
    CopyBounded(m_servicePackText, sizeof m_servicePackText / sizeof m_servicePackText[0],
                m_versionInfo.szCSDVersion);
}

void CWinVersion::ReadProductType(HMODULE kernel32) {
    if (m_versionInfo.dwMajorVersion < 6 || kernel32 == nullptr) {
        return;
    }
    const auto getProductInfo = LookUpFunction<GetProductInfoFunction>(kernel32, "GetProductInfo");
    if (getProductInfo == nullptr) {
        return;
    }
    DWORD productType = 0;
    if (getProductInfo(m_versionInfo.dwMajorVersion, m_versionInfo.dwMinorVersion,
                       m_versionInfo.wServicePackMajor, m_versionInfo.wServicePackMinor, &productType)) {
        m_productType = productType;
    }
}
