#include "tests/fault/failure_point.h"

#include <cstdlib>

namespace {

struct Row {
    const char* function;
    const char* point;
    Effect effect;
    bool covered;
    sim::HandleKind released;
    std::vector<std::string> notCalledAfter;
};

constexpr sim::HandleKind kKey = sim::HandleKind::Key;
constexpr sim::HandleKind kMutex = sim::HandleKind::Mutex;
constexpr sim::HandleKind kToken = sim::HandleKind::Token;
constexpr sim::HandleKind kSid = sim::HandleKind::Sid;
constexpr sim::HandleKind kNone = kKey;  // not read unless the effect is ReleaseRefused
const std::vector<std::string> kRestartCalls = {"LookupPrivilegeValueW", "AdjustTokenPrivileges",
                                                "ExitWindowsEx"};

// What each failure leads to, from the rules of each step. Columns: the
// function, the point in the run, the effect, whether the rules say so, the
// handle a refused release leaves open, the calls that must not follow.
// clang-format off
const Row kRows[] = {
    {"CreateMutexW", "single-instance guard", Effect::GuardNotCreated, true, kNone, {"*"}},
    {"GetLastError", "single-instance guard", Effect::GuardCheckPasses, true, kNone, {}},
    {"CloseHandle", "guard, name already taken", Effect::ReleaseRefused, false, kMutex, {"*"}},
    {"CloseHandle", "guard release", Effect::ReleaseRefused, false, kMutex, {}},
    {"LoadStringW", "launch title", Effect::LaunchTitleEmpty, true, kNone, {}},
    {"LoadStringW", "launch question", Effect::LaunchQuestionEmpty, true, kNone, {}},
    {"LoadStringW", "message title", Effect::BoxTitleEmpty, true, kNone, {}},
    {"LoadStringW", "message text", Effect::BoxTextEmpty, true, kNone, {}},
    {"GetModuleHandleW", "kernel32", Effect::NoNativeArchitecture, true, kNone, {"GetProcAddress"}},
    {"GetProcAddress", "GetNativeSystemInfo", Effect::NoNativeArchitecture, true, kNone, {"GetNativeSystemInfo"}},
    {"GetProcAddress", "GetProductInfo", Effect::None, true, kNone, {"GetProductInfo"}},
    // It has no failure of its own; made to fail, it writes nothing.
    {"GetNativeSystemInfo", "native system info", Effect::NoNativeArchitecture, false, kNone, {}},
    {"GetProductInfo", "product type", Effect::None, true, kNone, {}},
    {"GetSystemMetrics", "edition flags", Effect::None, true, kNone, {}},
    {"GetVersionExW", "first version query", Effect::VersionUnknown, true, kNone, {"GetVersionExW", "GetProcAddress"}},
    {"GetVersionExW", "second version query", Effect::VersionUnknown, true, kNone, {"GetProcAddress"}},
    {"RegOpenKeyExW", "future-release switch", Effect::SwitchUnread, true, kNone, {}},
    {"RegQueryValueExW", "future-release switch", Effect::SwitchUnread, true, kNone, {}},
    {"RegCloseKey", "future-release switch", Effect::ReleaseRefused, false, kKey, {}},
    {"MessageBoxW", "future-release question", Effect::BoxFails, true, kNone, {}},
    {"MessageBoxW", "unsupported-release message", Effect::BoxFails, true, kNone, {}},
    {"MessageBoxW", "administrator message", Effect::BoxFails, true, kNone, {}},
    {"MessageBoxW", "restart question", Effect::BoxFails, true, kNone, {}},
    {"AllocateAndInitializeSid", "administrator test", Effect::NotAdmin, true, kNone, {"CheckTokenMembership", "FreeSid"}},
    {"CheckTokenMembership", "administrator test", Effect::NotAdmin, true, kNone, {}},
    {"FreeSid", "administrator test", Effect::ReleaseRefused, false, kSid, {}},
    {"RegOpenKeyExW", "setting read", Effect::StateUnread, true, kNone, {}},
    {"RegQueryValueExW", "setting read", Effect::StateUnread, true, kNone, {}},
    {"RegCloseKey", "setting read", Effect::ReleaseRefused, false, kKey, {}},
    {"DialogBoxParamW", "settings dialog", Effect::DialogFails, true, kNone, {"GetDlgItem", "Reg*", "MessageBoxW"}},
    {"GetDlgItem", "initial check", Effect::InitialCheckMissing, true, kNone, {}},
    {"SendMessageW", "initial check", Effect::InitialCheckMissing, false, kNone, {}},
    {"GetDlgItem", "OK reads Enabled", Effect::EnabledReadsUnchecked, true, kNone, {}},
    {"SendMessageW", "OK reads Enabled", Effect::EnabledReadsUnchecked, true, kNone, {}},
    {"GetDlgItem", "OK reads Disabled", Effect::DisabledReadsUnchecked, true, kNone, {}},
    {"SendMessageW", "OK reads Disabled", Effect::DisabledReadsUnchecked, true, kNone, {}},
    {"GetDlgCtrlID", "dialog command", Effect::CommandIgnored, true, kNone, {}},
    {"EndDialog", "settings dialog", Effect::EndDialogRefused, false, kNone, {}},
    {"RegCreateKeyExW", "write, full access", Effect::FullAccessRefused, true, kNone, {}},
    {"RegSetValueExW", "write", Effect::ValueNotWritten, true, kNone, {}},
    {"RegCloseKey", "write", Effect::ReleaseRefused, false, kKey, {}},
    {"RegCreateKeyExW", "delete", Effect::ValueNotDeleted, true, kNone, {"RegDeleteValueW", "RegCloseKey"}},
    {"RegDeleteValueW", "delete", Effect::ValueNotDeleted, true, kNone, {}},
    {"RegCloseKey", "delete", Effect::ReleaseRefused, false, kKey, {}},
    // The pseudo handle cannot fail; made to fail, it is null, and opening its token fails.
    {"GetCurrentProcess", "restart", Effect::NoToken, false, kNone, kRestartCalls},
    {"OpenProcessToken", "restart", Effect::NoToken, true, kNone, kRestartCalls},
    {"LookupPrivilegeValueW", "restart", Effect::ShutdownPrivilegeMissing, true, kNone, {}},
    {"AdjustTokenPrivileges", "restart, enable", Effect::ShutdownPrivilegeMissing, true, kNone, {}},
    {"ExitWindowsEx", "restart", Effect::ShutdownCallFails, true, kNone, {}},
    {"AdjustTokenPrivileges", "restart, disable all", Effect::PrivilegesNotDropped, false, kNone, {}},
    {"CloseHandle", "restart token", Effect::ReleaseRefused, false, kToken, {}},
};
// clang-format on

// The arguments of a recorded call, split at the commas between them (strings are quoted).
std::vector<std::string> Arguments(const std::string& args) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == '"') {
            quoted = !quoted;
        }
        if (!quoted && args.compare(i, 2, ", ") == 0) {
            parts.emplace_back();
            ++i;
            continue;
        }
        parts.back() += args[i];
    }
    return parts;
}

std::string Argument(const sim::CallRecord& call, std::size_t index) {
    const std::vector<std::string> parts = Arguments(call.args);
    return index < parts.size() ? parts[index] : std::string();
}

unsigned long NumberArgument(const sim::CallRecord& call, std::size_t index) {
    return std::strtoul(Argument(call, index).c_str(), nullptr, 16);
}

bool Mentions(const sim::CallRecord& call, const char* text) {
    return call.args.find(text) != std::string::npos;
}

const char* BoxPoint(UINT type) {
    switch (type) {
        case 0x40134:
            return "future-release question";
        case 0x10:
            return "unsupported-release message";
        case 0x30:
            return "administrator message";
        case 0x144:
            return "restart question";
        default:
            return "unknown message box";
    }
}

constexpr std::size_t kBoxTypeArgument = 3;
constexpr std::size_t kStringIdArgument = 1;
constexpr std::size_t kControlIdArgument = 1;
constexpr std::size_t kAccessArgument = 5;
constexpr std::size_t kDisableAllArgument = 1;
constexpr unsigned long kTitleId = 130;
constexpr unsigned long kEnabledId = 1001;

// Walks the log once, knowing what came before each call and looking ahead
// where only the next call tells what this one was for.
class PointFinder {
  public:
    explicit PointFinder(const std::vector<sim::CallRecord>& calls) : m_calls(calls) {}

    // The point of call `index`, and the box type where it concerns a message box.
    std::string PointOf(std::size_t index, UINT& boxType) {
        const sim::CallRecord& call = m_calls[index];
        const std::string& name = call.name;
        boxType = 0;
        if (name == "LoadStringW") {
            return PointOfString(index, boxType);
        }
        if (name == "MessageBoxW") {
            boxType = static_cast<UINT>(NumberArgument(call, kBoxTypeArgument));
            return BoxPoint(boxType);
        }
        if (name == "CloseHandle") {
            return PointOfClose(index);
        }
        if (name.compare(0, 3, "Reg") == 0) {
            return PointOfRegistryCall(index);
        }
        if (name == "GetProcAddress") {
            return Mentions(call, "\"GetNativeSystemInfo\"") ? "GetNativeSystemInfo" : "GetProductInfo";
        }
        if (name == "GetVersionExW") {
            return call.ordinal == 1 ? "first version query" : "second version query";
        }
        if (name == "GetDlgItem" || name == "SendMessageW") {
            return PointOfDialogCheck(call);
        }
        if (name == "GetDlgCtrlID") {
            m_commandsSeen = true;
            return "dialog command";
        }
        if (name == "OpenProcessToken") {
            m_tokenOpen = true;
        }
        if (name == "AdjustTokenPrivileges") {
            return NumberArgument(call, kDisableAllArgument) != 0 ? "restart, disable all"
                                                                  : "restart, enable";
        }
        return FixedPoint(name);
    }

  private:
    static std::string FixedPoint(const std::string& name) {
        for (const Row& row : kRows) {
            if (name == row.function) {
                return row.point;
            }
        }
        return std::string();
    }

    // The first two strings are the launch sequence's; later ones come in
    // pairs, title then text, for the message box that follows them.
    std::string PointOfString(std::size_t index, UINT& boxType) {
        const sim::CallRecord& call = m_calls[index];
        if (call.ordinal == 1) {
            return "launch title";
        }
        if (call.ordinal == 2) {
            return "launch question";
        }
        for (std::size_t next = index + 1; next < m_calls.size(); ++next) {
            if (m_calls[next].name == "MessageBoxW") {
                boxType = static_cast<UINT>(NumberArgument(m_calls[next], kBoxTypeArgument));
                break;
            }
        }
        return NumberArgument(call, kStringIdArgument) == kTitleId ? "message title" : "message text";
    }

    std::string PointOfClose(std::size_t index) {
        if (m_tokenOpen) {
            m_tokenOpen = false;
            return "restart token";
        }
        const bool nameTaken = index > 0 && m_calls[index - 1].name == "GetLastError";
        return nameTaken ? "guard, name already taken" : "guard release";
    }

    // A key belongs to the use its open named; a create serves the set or
    // delete that follows it.
    std::string PointOfRegistryCall(std::size_t index) {
        const sim::CallRecord& call = m_calls[index];
        if (call.name == "RegOpenKeyExW") {
            m_keyUse = Mentions(call, "Korvantis") ? "future-release switch" : "setting read";
        } else if (call.name == "RegCreateKeyExW") {
            const bool deletes = NextValueChangeIsDelete(index);
            const bool fullAccess = NumberArgument(call, kAccessArgument) == KEY_ALL_ACCESS;
            m_keyUse = deletes ? "delete" : "write";
            if (!deletes && fullAccess) {
                return "write, full access";
            }
        } else if (call.name == "RegSetValueExW") {
            m_keyUse = "write";
        } else if (call.name == "RegDeleteValueW") {
            m_keyUse = "delete";
        }
        return m_keyUse;
    }

    bool NextValueChangeIsDelete(std::size_t index) const {
        for (std::size_t next = index + 1; next < m_calls.size(); ++next) {
            if (m_calls[next].name == "RegDeleteValueW") {
                return true;
            }
            if (m_calls[next].name == "RegSetValueExW") {
                return false;
            }
        }
        return false;
    }

    // Before the first command the procedure checks the initial radio button;
    // after it, OK reads the radio buttons.
    std::string PointOfDialogCheck(const sim::CallRecord& call) {
        if (!m_commandsSeen) {
            return "initial check";
        }
        if (call.name == "GetDlgItem") {
            m_checkedControl = NumberArgument(call, kControlIdArgument);
        }
        return m_checkedControl == kEnabledId ? "OK reads Enabled" : "OK reads Disabled";
    }

    const std::vector<sim::CallRecord>& m_calls;
    std::string m_keyUse;
    unsigned long m_checkedControl = 0;
    bool m_commandsSeen = false;
    bool m_tokenOpen = false;
};

const Row* FindRow(const std::string& function, const std::string& point) {
    for (const Row& row : kRows) {
        if (function == row.function && point == row.point) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<FailurePoint> ClassifyCalls(const std::vector<sim::CallRecord>& calls,
                                        std::vector<std::string>& unknown) {
    std::vector<FailurePoint> points;
    PointFinder finder(calls);
    int commands = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const sim::CallRecord& call = calls[i];
        UINT boxType = 0;
        const std::string point = finder.PointOf(i, boxType);
        const Row* row = FindRow(call.name, point);
        if (row == nullptr) {
            unknown.push_back(call.name + " #" + std::to_string(call.ordinal) + " (" + call.args + ")");
            continue;
        }
        const int command = call.name == "GetDlgCtrlID" ? ++commands : 0;
        points.push_back(FailurePoint{call, point, row->effect, row->covered, boxType, command, row->released,
                                      row->notCalledAfter});
    }
    return points;
}

std::string Describe(const FailurePoint& failure) {
    return failure.call.name + " #" + std::to_string(failure.call.ordinal) + " (" + failure.point + "; " +
           failure.call.args + ")";
}

bool IsNotCalledAfter(const FailurePoint& failure, const std::string& function) {
    for (const std::string& pattern : failure.notCalledAfter) {
        const bool prefix = !pattern.empty() && pattern.back() == '*';
        const std::size_t compared = prefix ? pattern.size() - 1 : std::string::npos;
        if (prefix ? function.compare(0, compared, pattern, 0, compared) == 0 : function == pattern) {
            return true;
        }
    }
    return false;
}
