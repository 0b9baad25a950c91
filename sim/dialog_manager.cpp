// The dialog manager of DialogBoxParamW: builds the dialog from its template,
// calls the procedure with WM_INITDIALOG, then plays the test's script of user
// actions the way the platform turns them into messages, until the procedure
// calls EndDialog. Windows are fake handle values valid only while the dialog lives.
#include <algorithm>

#include "sim/calls.h"
#include "sim/dialog_template.h"
#include "sim/handles.h"
#include "sim/resources.h"
#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

constexpr DWORD kWsGroup = 0x00020000;
constexpr DWORD kWsTabStop = 0x00010000;
constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsDisabled = 0x08000000;
constexpr DWORD kButtonTypeMask = 0x0000000F;
constexpr DWORD kBsPushButton = 0x0;
constexpr DWORD kBsDefPushButton = 0x1;
constexpr DWORD kBsCheckBox = 0x2;
constexpr DWORD kBsAutoCheckBox = 0x3;
constexpr DWORD kBsRadioButton = 0x4;
constexpr DWORD kBs3State = 0x5;
constexpr DWORD kBsAuto3State = 0x6;
constexpr DWORD kBsAutoRadioButton = 0x9;
constexpr DWORD kErrorInvalidWindowHandle = 1400;
constexpr DWORD kErrorControlIdNotFound = 1421;
constexpr DWORD kErrorResourceDataNotFound = 1812;
constexpr Failure kMinusOneWithLastError{FailureStyle::SetsLastError, -1};

UiState& Ui() {
    return W().ui;
}

struct WindowRef {
    LiveDialog* dialog;
    int controlIndex;  // -1: the dialog window itself
};

std::optional<WindowRef> FindWindow(HWND window) {
    const auto value = reinterpret_cast<std::uintptr_t>(window);
    for (auto& dialog : Ui().liveDialogs) {
        if (dialog->window == value) {
            return WindowRef{dialog.get(), -1};
        }
        for (std::size_t i = 0; i < dialog->controls.size(); ++i) {
            if (dialog->controls[i].window == value) {
                return WindowRef{dialog.get(), static_cast<int>(i)};
            }
        }
    }
    return std::nullopt;
}

HWND AsWindow(std::uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

int ButtonType(const Control& control) {
    return EqualsIgnoringCase(control.className, u"Button")
               ? static_cast<int>(control.style & kButtonTypeMask)
               : -1;
}

bool IsPushButton(const Control& control) {
    const int type = ButtonType(control);
    return type == static_cast<int>(kBsPushButton) || type == static_cast<int>(kBsDefPushButton);
}

bool IsCheckable(const Control& control) {
    switch (ButtonType(control)) {
        case kBsCheckBox:
        case kBsAutoCheckBox:
        case kBsRadioButton:
        case kBs3State:
        case kBsAuto3State:
        case kBsAutoRadioButton:
            return true;
        default:
            return false;
    }
}

bool IsFocusable(const Control& control) {
    return (control.style & kWsVisible) != 0 && (control.style & kWsDisabled) == 0;
}

int FindControlIndex(const LiveDialog& dialog, int id) {
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        if (dialog.controls[i].id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::uintptr_t WindowOfControl(const LiveDialog& dialog, int id) {
    const int index = FindControlIndex(dialog, id);
    return index < 0 ? 0 : dialog.controls[static_cast<std::size_t>(index)].window;
}

// The first visible, enabled control with WS_TABSTOP, or -1.
int FirstTabStop(const LiveDialog& dialog) {
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const Control& control = dialog.controls[i];
        if ((control.style & kWsTabStop) != 0 && IsFocusable(control)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DialogSnapshot& SnapshotOf(const LiveDialog& dialog) {
    return Ui().dialogs[dialog.snapshotIndex];
}

// A message as it reaches the dialog window: the procedure first, then what the
// default dialog procedure does with a message the procedure did not handle.
void DeliverToDialog(LiveDialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const INT_PTR handled = dialog.procedure(AsWindow(dialog.window), message, wParam, lParam);
    if (!handled && message == WM_CLOSE && !dialog.ended) {
        const auto cancel = static_cast<LPARAM>(WindowOfControl(dialog, IDCANCEL));
        dialog.procedure(AsWindow(dialog.window), WM_COMMAND, IDCANCEL | BN_CLICKED << 16, cancel);
    }
}

void SendClick(LiveDialog& dialog, const Control& control) {
    const auto wParam = static_cast<WPARAM>(static_cast<WORD>(control.id) | BN_CLICKED << 16);
    DeliverToDialog(dialog, WM_COMMAND, wParam, static_cast<LPARAM>(control.window));
}

// The group of a control runs from the nearest WS_GROUP control at or before
// it to the control before the next WS_GROUP.
std::pair<std::size_t, std::size_t> GroupAround(const LiveDialog& dialog, std::size_t index) {
    std::size_t first = index;
    while (first > 0 && (dialog.controls[first].style & kWsGroup) == 0) {
        --first;
    }
    std::size_t end = first + 1;
    while (end < dialog.controls.size() && (dialog.controls[end].style & kWsGroup) == 0) {
        ++end;
    }
    return {first, end};
}

void CheckAutoRadio(LiveDialog& dialog, std::size_t index) {
    const auto [first, end] = GroupAround(dialog, index);
    for (std::size_t i = first; i < end; ++i) {
        if (ButtonType(dialog.controls[i]) == static_cast<int>(kBsAutoRadioButton)) {
            dialog.controls[i].check = i == index ? BST_CHECKED : BST_UNCHECKED;
        }
    }
}

void Click(LiveDialog& dialog, int id) {
    const int index = FindControlIndex(dialog, id);
    if (index < 0 || !IsFocusable(dialog.controls[static_cast<std::size_t>(index)]) ||
        ButtonType(dialog.controls[static_cast<std::size_t>(index)]) < 0) {
        ReportProblem("script clicks control " + std::to_string(id) +
                      ", which is not a visible, enabled button");
        return;
    }
    Control& control = dialog.controls[static_cast<std::size_t>(index)];
    dialog.focusIndex = index;
    if (ButtonType(control) == static_cast<int>(kBsAutoRadioButton)) {
        CheckAutoRadio(dialog, static_cast<std::size_t>(index));
    } else if (ButtonType(control) == static_cast<int>(kBsAutoCheckBox)) {
        control.check = control.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    }
    SendClick(dialog, control);
}

// Enter clicks the focused push button, or else the template's default push button, or else IDOK.
void PressEnter(LiveDialog& dialog) {
    int id = IDOK;
    if (dialog.focusIndex >= 0 &&
        IsPushButton(dialog.controls[static_cast<std::size_t>(dialog.focusIndex)])) {
        id = dialog.controls[static_cast<std::size_t>(dialog.focusIndex)].id;
    } else if (dialog.defaultButtonIndex >= 0) {
        id = dialog.controls[static_cast<std::size_t>(dialog.defaultButtonIndex)].id;
    }
    const auto wParam = static_cast<WPARAM>(static_cast<WORD>(id) | BN_CLICKED << 16);
    DeliverToDialog(dialog, WM_COMMAND, wParam, static_cast<LPARAM>(WindowOfControl(dialog, id)));
}

void PressTab(LiveDialog& dialog) {
    const std::size_t count = dialog.controls.size();
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t index = (static_cast<std::size_t>(dialog.focusIndex + 1) + step - 1) % count;
        const Control& control = dialog.controls[index];
        if ((control.style & kWsTabStop) != 0 && IsFocusable(control)) {
            dialog.focusIndex = static_cast<int>(index);
            return;
        }
    }
}

void PlayStep(LiveDialog& dialog, const Script::Step& step) {
    const auto cancel = static_cast<LPARAM>(WindowOfControl(dialog, IDCANCEL));
    switch (step.kind) {
        case Script::Kind::Click:
            Click(dialog, step.controlId);
            break;
        case Script::Kind::Esc:
            DeliverToDialog(dialog, WM_COMMAND, IDCANCEL | BN_CLICKED << 16, cancel);
            break;
        case Script::Kind::Enter:
            PressEnter(dialog);
            break;
        case Script::Kind::Tab:
            PressTab(dialog);
            break;
        case Script::Kind::CloseBox:
            DeliverToDialog(dialog, WM_CLOSE, 0, 0);
            break;
        case Script::Kind::Command:
            DeliverToDialog(
                dialog, WM_COMMAND, step.wParam,
                step.nullSender ? 0 : static_cast<LPARAM>(WindowOfControl(dialog, step.controlId)));
            break;
        case Script::Kind::Run:
            step.action();
            break;
    }
}

DialogSnapshot SnapshotOfTemplate(const DialogTemplate& dialog, const ResourceEntry& resource, HWND owner,
                                  LPARAM initParam) {
    DialogSnapshot snapshot{resource.name.ordinal,
                            resource.language,
                            dialog.style,
                            dialog.exStyle,
                            dialog.x,
                            dialog.y,
                            dialog.cx,
                            dialog.cy,
                            dialog.caption,
                            dialog.pointSize,
                            dialog.weight,
                            dialog.italic,
                            dialog.charset,
                            dialog.typeface,
                            owner,
                            initParam,
                            {},
                            0,
                            false,
                            0};
    for (const DialogItemTemplate& item : dialog.items) {
        snapshot.controls.push_back(ControlSnapshot{item.id, item.className, item.style, item.exStyle, item.x,
                                                    item.y, item.cx, item.cy, item.text, BST_UNCHECKED,
                                                    BST_UNCHECKED});
    }
    return snapshot;
}

LiveDialog& CreateLiveDialog(const DialogTemplate& dialogTemplate, DLGPROC procedure) {
    auto dialog = std::make_unique<LiveDialog>();
    dialog->window = NewObjectValue();
    dialog->procedure = procedure;
    dialog->defaultButtonIndex = -1;
    dialog->focusIndex = -1;
    dialog->ended = false;
    dialog->result = 0;
    dialog->snapshotIndex = Ui().dialogs.size() - 1;
    for (const DialogItemTemplate& item : dialogTemplate.items) {
        dialog->controls.push_back(Control{item.id, item.className, item.style, item.exStyle, item.text,
                                           BST_UNCHECKED, NewObjectValue()});
        if (ButtonType(dialog->controls.back()) == static_cast<int>(kBsDefPushButton) &&
            dialog->defaultButtonIndex < 0) {
            dialog->defaultButtonIndex = static_cast<int>(dialog->controls.size() - 1);
        }
    }
    if (!Ui().dialogScripts.empty()) {
        const auto& steps = Ui().dialogScripts.front().Steps();
        dialog->steps.assign(steps.begin(), steps.end());
        Ui().dialogScripts.pop_front();
    }
    Ui().liveDialogs.push_back(std::move(dialog));
    return *Ui().liveDialogs.back();
}

void Initialize(LiveDialog& dialog, LPARAM initParam) {
    const int candidate = FirstTabStop(dialog);
    const auto focusWindow = candidate < 0 ? 0 : dialog.controls[static_cast<std::size_t>(candidate)].window;
    const INT_PTR setFocus =
        dialog.procedure(AsWindow(dialog.window), WM_INITDIALOG, static_cast<WPARAM>(focusWindow), initParam);
    dialog.focusIndex = setFocus ? candidate : -1;
    DialogSnapshot& snapshot = SnapshotOf(dialog);
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        snapshot.controls[i].checkWhenShown = dialog.controls[i].check;
    }
    snapshot.focusWhenShown =
        dialog.focusIndex < 0 ? 0 : dialog.controls[static_cast<std::size_t>(dialog.focusIndex)].id;
    snapshot.shown = !dialog.ended;
}

void RunModalLoop(LiveDialog& dialog) {
    while (!dialog.ended) {
        if (dialog.steps.empty()) {
            ReportProblem("dialog script ran out before the dialog procedure called EndDialog");
            dialog.result = -1;
            return;
        }
        const Script::Step step = dialog.steps.front();
        dialog.steps.pop_front();
        PlayStep(dialog, step);
    }
    if (!dialog.steps.empty()) {
        ReportProblem(std::to_string(dialog.steps.size()) + " dialog script step(s) left after EndDialog");
    }
}

INT_PTR Destroy(LiveDialog& dialog) {
    DialogSnapshot& snapshot = SnapshotOf(dialog);
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        snapshot.controls[i].checkAtEnd = dialog.controls[i].check;
    }
    snapshot.result = dialog.result;
    const INT_PTR result = dialog.result;
    auto& live = Ui().liveDialogs;
    live.erase(
        std::find_if(live.begin(), live.end(), [&](const auto& entry) { return entry.get() == &dialog; }));
    return result;
}

INT_PTR RunDialog(const ResourceEntry& resource, HWND owner, DLGPROC procedure, LPARAM initParam) {
    DialogTemplate dialogTemplate;
    std::string error;
    if (!ParseDialogTemplate(resource.data, dialogTemplate, error) || procedure == nullptr) {
        ReportProblem("dialog cannot be built: " + (procedure == nullptr ? "no dialog procedure" : error));
        SetLastErrorValue(kErrorResourceDataNotFound);
        return -1;
    }
    Ui().dialogs.push_back(SnapshotOfTemplate(dialogTemplate, resource, owner, initParam));
    LiveDialog& dialog = CreateLiveDialog(dialogTemplate, procedure);
    Initialize(dialog, initParam);
    RunModalLoop(dialog);
    return Destroy(dialog);
}

LRESULT SendToControl(Control& control, UINT message, WPARAM wParam) {
    if (message == BM_GETCHECK) {
        return IsCheckable(control) ? control.check : 0;
    }
    if (message == BM_SETCHECK && IsCheckable(control)) {
        control.check = static_cast<UINT>(wParam);
    }
    return 0;
}

}  // namespace

}  // namespace sim::detail

using namespace sim::detail;

INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    if (auto injected =
            Enter("DialogBoxParamW", Args(hInstance, lpTemplateName, hWndParent, lpDialogFunc, dwInitParam),
                  kMinusOneWithLastError)) {
        return static_cast<INT_PTR>(*injected);
    }
    if (hWndParent != nullptr && !FindWindow(hWndParent)) {
        SetLastErrorValue(kErrorInvalidWindowHandle);
        return 0;
    }
    const ResourceEntry* resource =
        IsProgramModule(hInstance)
            ? FindProgramResource(kResourceTypeDialog, NameOfResourceArgument(lpTemplateName))
            : nullptr;
    if (resource == nullptr) {
        SetLastErrorValue(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    return RunDialog(*resource, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    if (auto injected = Enter("GetDlgItem", Args(hDlg, nIDDlgItem), kNullWithLastError)) {
        return reinterpret_cast<HWND>(*injected);
    }
    const std::optional<WindowRef> found = FindWindow(hDlg);
    if (!found || found->controlIndex >= 0) {
        SetLastErrorValue(found ? kErrorControlIdNotFound : kErrorInvalidWindowHandle);
        return nullptr;
    }
    const std::uintptr_t control = WindowOfControl(*found->dialog, nIDDlgItem);
    if (control == 0) {
        SetLastErrorValue(kErrorControlIdNotFound);
    }
    return AsWindow(control);
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    if (auto injected = Enter("GetDlgCtrlID", Args(hWnd), kZeroWithLastError)) {
        return static_cast<int>(*injected);
    }
    const std::optional<WindowRef> found = FindWindow(hWnd);
    if (!found) {
        SetLastErrorValue(kErrorInvalidWindowHandle);
        return 0;
    }
    // A top-level window has no control identifier.
    return found->controlIndex < 0
               ? 0
               : found->dialog->controls[static_cast<std::size_t>(found->controlIndex)].id;
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (auto injected = Enter("SendMessageW", Args(hWnd, Msg, wParam, lParam), kQuietZero)) {
        return static_cast<LRESULT>(*injected);
    }
    const std::optional<WindowRef> found = FindWindow(hWnd);
    if (!found) {
        SetLastErrorValue(kErrorInvalidWindowHandle);
        return 0;
    }
    if (found->controlIndex < 0) {
        DeliverToDialog(*found->dialog, Msg, wParam, lParam);
        return 0;
    }
    return SendToControl(found->dialog->controls[static_cast<std::size_t>(found->controlIndex)], Msg, wParam);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    if (auto injected = Enter("EndDialog", Args(hDlg, nResult), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    const std::optional<WindowRef> found = FindWindow(hDlg);
    if (!found || found->controlIndex >= 0) {
        SetLastErrorValue(kErrorInvalidWindowHandle);
        return FALSE;
    }
    found->dialog->ended = true;
    found->dialog->result = nResult;
    return TRUE;
}

namespace sim {

Script& Script::Click(int controlId) {
    m_steps.push_back(Step{Kind::Click, controlId, 0, false, {}});
    return *this;
}

Script& Script::PressEsc() {
    m_steps.push_back(Step{Kind::Esc, 0, 0, false, {}});
    return *this;
}

Script& Script::PressEnter() {
    m_steps.push_back(Step{Kind::Enter, 0, 0, false, {}});
    return *this;
}

Script& Script::PressTab() {
    m_steps.push_back(Step{Kind::Tab, 0, 0, false, {}});
    return *this;
}

Script& Script::ClickCloseBox() {
    m_steps.push_back(Step{Kind::CloseBox, 0, 0, false, {}});
    return *this;
}

Script& Script::Command(WPARAM wParam, int controlId) {
    m_steps.push_back(Step{Kind::Command, controlId, wParam, false, {}});
    return *this;
}

Script& Script::CommandWithoutSender(WPARAM wParam) {
    m_steps.push_back(Step{Kind::Command, 0, wParam, true, {}});
    return *this;
}

Script& Script::Run(std::function<void()> action) {
    m_steps.push_back(Step{Kind::Run, 0, 0, false, std::move(action)});
    return *this;
}

void QueueDialogScript(const Script& script) {
    Ui().dialogScripts.push_back(script);
}

HWND ActiveDialog() {
    return Ui().liveDialogs.empty() ? nullptr : AsWindow(Ui().liveDialogs.back()->window);
}

const std::vector<DialogSnapshot>& Dialogs() {
    return Ui().dialogs;
}

}  // namespace sim
