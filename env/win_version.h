// Which Windows release the program runs on.
#pragma once

#include <cstdint>

#include "platform/windows_api.h"

enum WinKind : std::int16_t {
    WinUnknown = 0,
    Win32s = 1,
    Win95 = 2,
    Win98 = 3,
    WinNT4 = 4,
    Win2000 = 5,
    WinXP = 6,
    WinMe = 7,
    WinVista = 8,
    WinServer2008 = 9,
    WinServer2003 = 10,
    Win7 = 11,
    WinServer2008R2 = 12,
    WinFuture = -1,
};

enum Bitness : std::uint16_t {
    BitsUnknown = 0,
    Bits32 = 1,
    Bits64 = 2,
};

enum EditionFlag : DWORD {
    EditionTabletPC = 1,
    EditionMediaCenter = 2,
    EditionStarter = 4,
};

// The numbers a release is told apart by.
struct VersionReport {
    DWORD platformId;
    DWORD majorVersion;
    DWORD minorVersion;
    BYTE productType;
    WORD nativeArchitecture;  // wProcessorArchitecture of the native system info, 0 when unknown
};

WinKind ClassifyWindows(const VersionReport& report);

// Describes the running installation; everything is computed by the
// constructor, which cannot fail: an answer the platform does not give leaves
// its member at the initial value.
class CWinVersion {
  public:
    CWinVersion();
    virtual ~CWinVersion();

    CWinVersion(const CWinVersion&) = delete;
    CWinVersion& operator=(const CWinVersion&) = delete;

    SYSTEM_INFO m_systemInfo;
    OSVERSIONINFOEXW m_versionInfo;
    WinKind m_kind;
    Bitness m_bitness;
    DWORD m_editionFlags;
    WORD m_servicePackMajor;
    WCHAR m_servicePackText[128];
    DWORD m_productType;

  private:
    void ReadNativeSystemInfo(HMODULE kernel32);
    void ReadEditionFlags();
    WinKind QueryAndClassify();
    void CopyServicePackText();
    void ReadProductType(HMODULE kernel32);
};
