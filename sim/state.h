// The whole state of the simulated machine, in one place so that Reset() is a
// single assignment. Internal to sim/.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sim/sim.h"

namespace sim::detail {

struct PlannedFailure {
    std::string name;
    int nth;
    DWORD error;
    std::optional<std::intptr_t> result;
};

struct CallState {
    std::vector<CallRecord> log;
    std::map<std::string, int> counts;
    std::vector<PlannedFailure> failures;
    DWORD lastError = 0;
};

struct HandleEntry {
    HandleKind kind;
    std::uintptr_t value;
    bool open;
    int closes;
};

struct HandleState {
    std::uintptr_t nextValue = 0x1000;
    std::vector<HandleEntry> entries;
    std::vector<BadRelease> badReleases;
};

struct RegKey {
    std::u16string name;
    REGSAM granted = KEY_ALL_ACCESS;
    std::map<std::u16string, std::unique_ptr<RegKey>> children;  // by folded name
    std::map<std::u16string, StoredValue> values;                // by folded name
};

struct OpenKey {
    RegKey* node;
    std::u16string logicalPath;  // as the program named it, before redirection
    std::u16string nativePath;
    bool view64;
    REGSAM granted;
};

struct RegistryState {
    RegKey root;
    std::map<std::uintptr_t, OpenKey> openKeys;
    std::vector<RegistryOpen> opens;
    std::vector<RegistryQuery> queries;
};

using MutexName = std::pair<DWORD, std::u16string>;  // namespace, name

struct KernelState {
    DWORD logonId = 1;
    std::map<MutexName, int> mutexReferences;
    std::map<std::uintptr_t, std::optional<MutexName>> mutexHandles;  // nullopt: unnamed
    std::map<int, MutexName> otherProcesses;
    int nextProcessId = 1;
    bool kernel32Loaded = true;
    std::set<std::string> removedExports;
    VersionAnswer version;
    std::vector<DWORD> versionQuerySizes;
    SYSTEM_INFO systemInfo = DefaultSystemInfo();
    BOOL productInfoResult = TRUE;
    DWORD productInfoType = 0x00000001;  // PRODUCT_ULTIMATE
    std::vector<ProductInfoCall> productInfoCalls;
    std::map<int, int> systemMetrics;

    static SYSTEM_INFO DefaultSystemInfo();
};

struct PrivilegeEntry {
    std::u16string name;
    LUID luid;
    bool enabled;
};

struct SidEntry {
    std::vector<BYTE> authority;
    std::vector<DWORD> subAuthorities;
};

struct SecurityState {
    std::vector<PrivilegeEntry> privileges = DefaultPrivileges();
    std::vector<TokenGroup> groups = GroupsOf(Account::ElevatedAdmin);
    std::map<std::uintptr_t, DWORD> tokenAccess;
    std::map<std::uintptr_t, SidEntry> sids;
    std::vector<DWORD> tokenOpens;
    std::vector<PrivilegeAdjustment> adjustments;
    std::vector<ShutdownRequest> shutdowns;
    std::vector<SidAllocation> sidAllocations;

    static std::vector<PrivilegeEntry> DefaultPrivileges();
    static std::vector<TokenGroup> GroupsOf(Account account);
};

struct Control {
    int id;
    std::u16string className;
    DWORD style;
    DWORD exStyle;
    std::u16string text;
    UINT check;
    std::uintptr_t window;
};

struct LiveDialog {
    std::uintptr_t window;
    DLGPROC procedure;
    std::vector<Control> controls;
    int defaultButtonIndex;  // the template's BS_DEFPUSHBUTTON, -1 without one
    int focusIndex;          // -1 when no control has the focus
    bool ended;
    INT_PTR result;
    std::size_t snapshotIndex;
    std::deque<Script::Step> steps;
};

struct UiState {
    WORD uiLanguage = 0x0409;
    std::set<std::tuple<WORD, WORD, int>> removedResources;  // type, id, language (-1 = all)
    std::deque<int> messageBoxAnswers;
    std::vector<MessageBoxShown> messageBoxes;
    std::deque<Script> dialogScripts;
    std::vector<DialogSnapshot> dialogs;
    std::vector<std::unique_ptr<LiveDialog>> liveDialogs;  // innermost last
};

struct World {
    CallState calls;
    HandleState handles;
    RegistryState registry;
    KernelState kernel;
    SecurityState security;
    UiState ui;
    std::vector<std::string> problems;
};

World& W();
void ReportProblem(std::string problem);

}  // namespace sim::detail
