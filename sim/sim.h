// Test-facing side of the simulated Windows: arrange the machine, script the
// user, inspect what the program asked of the platform. Every piece of state
// lives in one place and Reset() returns it to a fresh machine (the loaded
// resource file excepted: it is the executable's, not the machine's).
//
// A fresh machine is a 64-bit Windows 7 workstation (6.1, AMD64) with an
// elevated administrator signed in to logon 1, an empty registry, English-US
// user interface, and no scripted answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/win32_api.h"

namespace sim {

void Reset();

// Problems the simulation itself noticed: a message box or dialog action the
// test did not script, a dialog whose script ran out before EndDialog, a click
// on a control that is not there, scripted answers or steps left unused. A
// test that leaves any of these is wrong even when its own checks pass.
std::vector<std::string> Problems();

// ---------------------------------------------------------------- calls ----
// Every simulated function, including the two reached through GetProcAddress,
// records its call here first, in order.
struct CallRecord {
    std::string name;
    int ordinal;       // 1 for the first call of this name since Reset, 2 for the second, ...
    std::string args;  // readable summary of the arguments
    bool injectedFailure;
};
const std::vector<CallRecord>& Calls();
int CallCount(const std::string& name);
std::vector<std::string> CallNames();

// Makes the nth call of the named function (1-based; 0 = every call) fail
// before it does anything. Without an explicit result each function fails the
// way its documentation describes: registry functions return `error`;
// functions that report through the thread's last error return their failure
// value (FALSE, null, 0, or -1 for DialogBoxParamW) and set the last error to
// `error`; GetLastError returns `error`; FreeSid returns its argument;
// GetSystemMetrics and SendMessageW return 0; GetNativeSystemInfo writes
// nothing; GetCurrentProcess returns null.
void FailCall(const std::string& name, int nth, DWORD error);
void FailCall(const std::string& name, int nth, DWORD error, std::intptr_t result);

void SetLastError(DWORD error);

// -------------------------------------------------------------- handles ----
enum class HandleKind { Key, Mutex, Token, Sid };
std::size_t OpenHandleCount();
std::size_t OpenHandleCount(HandleKind kind);
// One line per open handle, for failure messages.
std::string DescribeOpenHandles();

struct HandleRecord {
    HandleKind kind;
    std::uintptr_t value;
    int closes;  // successful closes: 0 while open, then 1
};
std::vector<HandleRecord> HandlesCreated(HandleKind kind);

// A close or free of something that is not open (a double close included).
struct BadRelease {
    std::string function;
    std::uintptr_t value;
};
const std::vector<BadRelease>& BadReleases();

// ------------------------------------------------------------- registry ----
// Paths are those of the native (64-bit) view under HKEY_LOCAL_MACHINE, e.g.
// u"SOFTWARE\\WOW6432Node\\Vendor" for what a 32-bit program sees as
// u"SOFTWARE\\Vendor" by default.
struct StoredValue {
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const StoredValue& other) const { return type == other.type && data == other.data; }
};
void CreateKey(const std::u16string& path);
bool KeyExists(const std::u16string& path);
void SetValue(const std::u16string& path, const std::u16string& name, DWORD type, std::vector<BYTE> data);
void SetDwordValue(const std::u16string& path, const std::u16string& name, DWORD value);
std::optional<StoredValue> Value(const std::u16string& path, const std::u16string& name);
// Rights an open or create may be granted on the key (creating the key if
// needed); KEY_ALL_ACCESS by default. Creating a subkey needs KEY_CREATE_SUB_KEY
// here; keys created below inherit the mask.
void SetKeyAccess(const std::u16string& path, REGSAM granted);

struct RegistryOpen {
    std::string function;         // "RegOpenKeyExW" or "RegCreateKeyExW"
    std::u16string path;          // as the program passed it
    std::u16string resolvedPath;  // the native key it reached (or would have)
    REGSAM access;                // including the view flags
    LSTATUS result;
    DWORD disposition;  // REG_CREATED_NEW_KEY / REG_OPENED_EXISTING_KEY, 0 when not created
};
const std::vector<RegistryOpen>& RegistryOpens();

struct RegistryQuery {
    std::u16string keyPath;  // native
    std::u16string valueName;
    DWORD bufferSize;  // *lpcbData on entry, 0 when null
    LSTATUS result;
    // The caller's buffer as it was handed in (bufferSize bytes; empty when
    // lpData was null), and how many of its leading bytes the query wrote:
    // everything the caller reads beyond those is its own fill.
    std::vector<BYTE> bufferOnEntry;
    DWORD bytesWritten;
};
const std::vector<RegistryQuery>& RegistryQueries();

// --------------------------------------------------------------- kernel ----
// The logon session the program runs in; named mutexes without a "Global\\"
// prefix live in a namespace per logon.
void SetLogonId(DWORD logonId);
// Another process holding a handle to a named mutex (created if needed).
// Returns an id for EndOtherProcess. Not counted among this process's handles.
int HoldMutexInOtherProcess(const std::u16string& name, DWORD logonId);
void EndOtherProcess(int processId);
bool MutexExists(const std::u16string& name, DWORD logonId);

void SetKernel32Loaded(bool loaded);
// "GetNativeSystemInfo" or "GetProductInfo": GetProcAddress no longer finds it.
void RemoveKernel32Export(const std::string& name);

struct VersionAnswer {
    DWORD major = 6;
    DWORD minor = 1;
    DWORD build = 7601;
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    std::u16string servicePackText = u"Service Pack 1";  // 128 units: written without terminator
    WORD servicePackMajor = 1;
    WORD servicePackMinor = 0;
    WORD suiteMask = 0x0100;
    BYTE productType = VER_NT_WORKSTATION;
};
void SetVersion(const VersionAnswer& answer);
// dwOSVersionInfoSize of every GetVersionExW call, in order.
const std::vector<DWORD>& VersionQuerySizes();

void SetNativeArchitecture(WORD architecture);

// What GetProductInfo writes to *pdwReturnedProductType and returns.
void SetProductInfo(BOOL result, DWORD writtenType);
struct ProductInfoCall {
    DWORD major, minor, servicePackMajor, servicePackMinor;
};
const std::vector<ProductInfoCall>& ProductInfoCalls();

void SetSystemMetric(int index, int value);

// ------------------------------------------------------------- security ----
constexpr DWORD kGroupMandatory = 0x00000001;
constexpr DWORD kGroupEnabledByDefault = 0x00000002;
constexpr DWORD kGroupEnabled = 0x00000004;
constexpr DWORD kGroupUseForDenyOnly = 0x00000010;

struct TokenGroup {
    std::vector<BYTE> authority;  // six bytes
    std::vector<DWORD> subAuthorities;
    DWORD attributes;
};
enum class Account { ElevatedAdmin, UnelevatedAdmin, User, Guest };
void SetAccount(Account account);

// Privileges of the process token: SeShutdownPrivilege, disabled, on a fresh
// machine. Names must be ones LookupPrivilegeValueW knows.
void AddPrivilege(const std::u16string& name, bool enabled);
void RemovePrivilege(const std::u16string& name);
std::vector<std::u16string> EnabledPrivileges();
LUID PrivilegeLuid(const std::u16string& name);

const std::vector<DWORD>& TokenOpenAccesses();

struct PrivilegeAdjustment {
    bool disableAll;
    DWORD bufferLength;
    std::vector<LUID_AND_ATTRIBUTES> newState;  // empty when NewState was null
    bool previousStateRequested;
    BOOL result;
    DWORD lastError;
};
const std::vector<PrivilegeAdjustment>& PrivilegeAdjustments();

struct ShutdownRequest {
    UINT flags;
    DWORD reason;
    bool shutdownPrivilegeEnabled;
    BOOL result;
};
const std::vector<ShutdownRequest>& ShutdownRequests();

struct SidAllocation {
    std::vector<BYTE> authority;
    BYTE subAuthorityCount;
    DWORD subAuthorities[8];  // all eight as passed
};
const std::vector<SidAllocation>& SidAllocations();

// ------------------------------------------------------------ resources ----
// Parses a compiled resource file (windres -O res); false with a reason when
// it cannot. Kept across Reset.
bool LoadResourceFile(const std::string& path, std::string& error);
HINSTANCE ProgramInstance();

// The user-interface language the resource loader prefers. When a resource is
// missing in it the loader tries, in order: the language itself, its primary
// language with SUBLANG_NEUTRAL, its primary language with SUBLANG_DEFAULT,
// LANG_NEUTRAL, English (United States) 1033, and finally the first language
// the file holds the resource in.
void SetUiLanguage(WORD language);
// Hides a resource (every language, or one) until Reset.
void RemoveResource(WORD type, WORD id);
void RemoveResource(WORD type, WORD id, WORD language);

// --------------------------------------------------------- message boxes ----
// Answers are consumed in order, one per box. 0 makes the box fail (MessageBoxW
// returns 0 with ERROR_NOT_ENOUGH_MEMORY as last error); kPressEnter answers with the box's
// default button. An answer the box does not offer is reported as a problem.
constexpr int kPressEnter = -100;
void QueueMessageBoxAnswer(int answer);

struct MessageBoxShown {
    HWND owner;
    std::optional<std::u16string> text;  // nullopt for a null pointer
    std::optional<std::u16string> caption;
    UINT type;
    int answer;
};
const std::vector<MessageBoxShown>& MessageBoxes();

// --------------------------------------------------------------- dialogs ----
// The user's actions in the next dialog, played after WM_INITDIALOG until the
// procedure calls EndDialog.
class Script {
  public:
    enum class Kind { Click, Esc, Enter, Tab, CloseBox, Command, Run };
    struct Step {
        Kind kind;
        int controlId;  // Click; Command: the control whose window is lParam
        WPARAM wParam;  // Command
        bool nullSender;
        std::function<void()> action;  // Run
    };

    Script& Click(int controlId);
    Script& PressEsc();
    Script& PressEnter();
    Script& PressTab();
    Script& ClickCloseBox();
    // WM_COMMAND with this wParam and the window of controlId as lParam.
    Script& Command(WPARAM wParam, int controlId);
    Script& CommandWithoutSender(WPARAM wParam);
    // Anything else that happens while the dialog is up (e.g. another copy starts).
    Script& Run(std::function<void()> action);

    const std::vector<Step>& Steps() const { return m_steps; }

  private:
    std::vector<Step> m_steps;
};
void QueueDialogScript(const Script& script);
// The innermost dialog that is up, for a Run step; null when none is.
HWND ActiveDialog();

struct ControlSnapshot {
    int id;
    std::u16string className;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::u16string text;
    UINT checkWhenShown;
    UINT checkAtEnd;
};
struct DialogSnapshot {
    WORD templateId;
    WORD language;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::u16string caption;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    std::u16string typeface;
    HWND owner;
    LPARAM initParam;
    std::vector<ControlSnapshot> controls;
    int focusWhenShown;  // control id, 0 when no control had the focus
    bool shown;          // false when EndDialog came during WM_INITDIALOG
    INT_PTR result;
};
const std::vector<DialogSnapshot>& Dialogs();

}  // namespace sim
