// kernel32 and the version-related parts of user32: named mutexes in a
// namespace per logon, the thread's last error, the kernel32 module and its two
// run-time exports, and the version answers a test sets.
#include <algorithm>

#include "sim/calls.h"
#include "sim/handles.h"
#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

constexpr DWORD kGlobalNamespace = 0xFFFFFFFF;
constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
const auto kKernel32Module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x7C800000));
const auto kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

KernelState& Kernel() {
    return W().kernel;
}

// "Global\name" is shared by every logon; "Local\name" and a bare name belong
// to the caller's logon.
MutexName NamespacedName(const std::u16string& name, DWORD logonId) {
    const std::u16string global = u"Global\\";
    const std::u16string local = u"Local\\";
    if (name.compare(0, global.size(), global) == 0) {
        return {kGlobalNamespace, name.substr(global.size())};
    }
    if (name.compare(0, local.size(), local) == 0) {
        return {logonId, name.substr(local.size())};
    }
    return {logonId, name};
}

void ReleaseMutexReference(const MutexName& name) {
    if (--Kernel().mutexReferences[name] == 0) {
        Kernel().mutexReferences.erase(name);
    }
}

bool IsKernel32Name(const std::u16string& name) {
    return EqualsIgnoringCase(name, u"kernel32.dll") || EqualsIgnoringCase(name, u"kernel32");
}

void WINAPI SimGetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
    if (Enter("GetNativeSystemInfo", Args(lpSystemInfo), kQuietZero)) {
        return;
    }
    *lpSystemInfo = Kernel().systemInfo;
}

BOOL WINAPI SimGetProductInfo(DWORD dwOSMajorVersion, DWORD dwOSMinorVersion, DWORD dwSpMajorVersion,
                              DWORD dwSpMinorVersion, PDWORD pdwReturnedProductType) {
    if (auto injected = Enter("GetProductInfo",
                              Args(dwOSMajorVersion, dwOSMinorVersion, dwSpMajorVersion, dwSpMinorVersion,
                                   pdwReturnedProductType),
                              kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    Kernel().productInfoCalls.push_back(
        ProductInfoCall{dwOSMajorVersion, dwOSMinorVersion, dwSpMajorVersion, dwSpMinorVersion});
    if (pdwReturnedProductType == nullptr) {
        SetLastErrorValue(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pdwReturnedProductType = Kernel().productInfoType;
    return Kernel().productInfoResult;
}

template <typename Function>
FARPROC AsFarProc(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC FindKernel32Export(const std::string& name) {
    if (Kernel().removedExports.count(name) != 0) {
        return nullptr;
    }
    if (name == "GetNativeSystemInfo") {
        return AsFarProc(&SimGetNativeSystemInfo);
    }
    if (name == "GetProductInfo") {
        return AsFarProc(&SimGetProductInfo);
    }
    return nullptr;
}

void FillVersion(OSVERSIONINFOW& info) {
    const VersionAnswer& answer = Kernel().version;
    info.dwMajorVersion = answer.major;
    info.dwMinorVersion = answer.minor;
    info.dwBuildNumber = answer.build;
    info.dwPlatformId = answer.platformId;
    const std::size_t units = std::min<std::size_t>(answer.servicePackText.size(), 128);
    for (std::size_t i = 0; i < units; ++i) {
        info.szCSDVersion[i] = static_cast<WCHAR>(answer.servicePackText[i]);
    }
    if (units < 128) {
        info.szCSDVersion[units] = 0;
    }
}

void FillVersionEx(OSVERSIONINFOEXW& info) {
    const VersionAnswer& answer = Kernel().version;
    info.wServicePackMajor = answer.servicePackMajor;
    info.wServicePackMinor = answer.servicePackMinor;
    info.wSuiteMask = answer.suiteMask;
    info.wProductType = answer.productType;
    info.wReserved = 0;
}

}  // namespace

SYSTEM_INFO KernelState::DefaultSystemInfo() {
    SYSTEM_INFO info = {};
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    info.dwPageSize = 4096;
    info.dwNumberOfProcessors = 4;
    info.dwAllocationGranularity = 65536;
    return info;
}

}  // namespace sim::detail

using namespace sim::detail;

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName) {
    if (auto injected =
            Enter("CreateMutexW", Args(lpMutexAttributes, bInitialOwner, lpName), kNullWithLastError)) {
        return reinterpret_cast<HANDLE>(*injected);
    }
    const std::u16string name = FromWide(lpName);
    const std::uintptr_t handle = OpenHandle(sim::HandleKind::Mutex);
    if (name.empty()) {
        Kernel().mutexHandles[handle] = std::nullopt;
        SetLastErrorValue(ERROR_SUCCESS);
        return reinterpret_cast<HANDLE>(handle);
    }
    const MutexName key = NamespacedName(name, Kernel().logonId);
    const bool existed = Kernel().mutexReferences.count(key) != 0;
    ++Kernel().mutexReferences[key];
    Kernel().mutexHandles[handle] = key;
    SetLastErrorValue(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(handle);
}

DWORD WINAPI GetLastError() {
    if (auto injected = Enter("GetLastError", Args(), kReturnsError)) {
        return static_cast<DWORD>(*injected);
    }
    return W().calls.lastError;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (auto injected = Enter("CloseHandle", Args(hObject), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    const auto value = reinterpret_cast<std::uintptr_t>(hObject);
    const std::optional<sim::HandleKind> kind = OpenHandleKind(value);
    if (!CloseOpenHandle("CloseHandle", value,
                         {sim::HandleKind::Mutex, sim::HandleKind::Token, sim::HandleKind::Key})) {
        SetLastErrorValue(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (kind == sim::HandleKind::Mutex) {
        const auto name = Kernel().mutexHandles.at(value);
        Kernel().mutexHandles.erase(value);
        if (name) {
            ReleaseMutexReference(*name);
        }
    }
    W().security.tokenAccess.erase(value);
    W().registry.openKeys.erase(value);
    return TRUE;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
    if (auto injected = Enter("GetModuleHandleW", Args(lpModuleName), kNullWithLastError)) {
        return reinterpret_cast<HMODULE>(*injected);
    }
    if (lpModuleName == nullptr) {
        return sim::ProgramInstance();
    }
    if (Kernel().kernel32Loaded && IsKernel32Name(FromWide(lpModuleName))) {
        return kKernel32Module;
    }
    SetLastErrorValue(kErrorModNotFound);
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (auto injected = Enter("GetProcAddress", Args(hModule, lpProcName), kNullWithLastError)) {
        return reinterpret_cast<FARPROC>(*injected);
    }
    if (hModule != kKernel32Module || !Kernel().kernel32Loaded) {
        SetLastErrorValue(kErrorModNotFound);
        return nullptr;
    }
    const bool byName = reinterpret_cast<std::uintptr_t>(lpProcName) >= 0x10000;
    const FARPROC found = byName ? FindKernel32Export(lpProcName) : nullptr;
    if (found == nullptr) {
        SetLastErrorValue(kErrorProcNotFound);
    }
    return found;
}

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
    if (auto injected = Enter("GetVersionExW", Args(lpVersionInformation), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    if (lpVersionInformation == nullptr) {
        SetLastErrorValue(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    Kernel().versionQuerySizes.push_back(size);
    if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
        SetLastErrorValue(kErrorInsufficientBuffer);
        return FALSE;
    }
    FillVersion(*lpVersionInformation);
    if (size == sizeof(OSVERSIONINFOEXW)) {
        FillVersionEx(*reinterpret_cast<LPOSVERSIONINFOEXW>(lpVersionInformation));
    }
    return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex) {
    if (auto injected = Enter("GetSystemMetrics", Args(nIndex), kQuietZero)) {
        return static_cast<int>(*injected);
    }
    const auto found = Kernel().systemMetrics.find(nIndex);
    return found == Kernel().systemMetrics.end() ? 0 : found->second;
}

HANDLE WINAPI GetCurrentProcess() {
    if (auto injected = Enter("GetCurrentProcess", Args(), kQuietZero)) {
        return reinterpret_cast<HANDLE>(*injected);
    }
    return kCurrentProcess;
}

namespace sim {

void SetLogonId(DWORD logonId) {
    Kernel().logonId = logonId;
}

int HoldMutexInOtherProcess(const std::u16string& name, DWORD logonId) {
    const MutexName key = NamespacedName(name, logonId);
    ++Kernel().mutexReferences[key];
    const int processId = Kernel().nextProcessId++;
    Kernel().otherProcesses[processId] = key;
    return processId;
}

void EndOtherProcess(int processId) {
    const auto found = Kernel().otherProcesses.find(processId);
    if (found == Kernel().otherProcesses.end()) {
        ReportProblem("EndOtherProcess: no process " + std::to_string(processId));
        return;
    }
    ReleaseMutexReference(found->second);
    Kernel().otherProcesses.erase(found);
}

bool MutexExists(const std::u16string& name, DWORD logonId) {
    return Kernel().mutexReferences.count(NamespacedName(name, logonId)) != 0;
}

void SetKernel32Loaded(bool loaded) {
    Kernel().kernel32Loaded = loaded;
}

void RemoveKernel32Export(const std::string& name) {
    Kernel().removedExports.insert(name);
}

void SetVersion(const VersionAnswer& answer) {
    Kernel().version = answer;
}

const std::vector<DWORD>& VersionQuerySizes() {
    return Kernel().versionQuerySizes;
}

void SetNativeArchitecture(WORD architecture) {
    Kernel().systemInfo.wProcessorArchitecture = architecture;
}

void SetProductInfo(BOOL result, DWORD writtenType) {
    Kernel().productInfoResult = result;
    Kernel().productInfoType = writtenType;
}

const std::vector<ProductInfoCall>& ProductInfoCalls() {
    return Kernel().productInfoCalls;
}

void SetSystemMetric(int index, int value) {
    Kernel().systemMetrics[index] = value;
}

}  // namespace sim
