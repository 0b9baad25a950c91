// The host side: the same arrangements through the simulation's test interface.
#include <cstddef>

#include "sim/sim.h"
#include "tests/fidelity/arrange.h"

namespace {

std::size_t g_problemsSeen = 0;

// The 32-bit view's SOFTWARE is SOFTWARE\WOW6432Node in the native registry,
// which is how the simulation names its keys.
std::u16string NativePath(const std::string& path) {
    const std::string software = "SOFTWARE\\";
    const std::string native = path.compare(0, software.size(), software) == 0
                                   ? software + "WOW6432Node\\" + path.substr(software.size())
                                   : path;
    return std::u16string(native.begin(), native.end());
}

}  // namespace

bool ArrangeCleanMachine() {
    sim::Reset();
    g_problemsSeen = 0;
    return true;
}

bool ArrangeKeyGrants(const std::string& path, REGSAM granted) {
    sim::SetKeyAccess(NativePath(path), granted);
    return true;
}

void PresetLastError(DWORD error) {
    sim::SetLastError(error);
}

void ArrangeDialogActions(const std::vector<DialogAction>& actions) {
    sim::Script script;
    for (const DialogAction& action : actions) {
        switch (action.kind) {
            case DialogAction::Kind::Click:
                script.Click(action.controlId);
                break;
            case DialogAction::Kind::Esc:
                script.PressEsc();
                break;
            case DialogAction::Kind::Enter:
                script.PressEnter();
                break;
            case DialogAction::Kind::Tab:
                script.PressTab();
                break;
            case DialogAction::Kind::CloseBox:
                script.ClickCloseBox();
                break;
        }
    }
    sim::QueueDialogScript(script);
}

// The simulation plays the script itself once WM_INITDIALOG has returned.
void StartDialogActions(HWND) {}

bool HandleDialogActionMessage(HWND, UINT, WPARAM) {
    return false;
}

std::string SideNotes() {
    const std::vector<std::string> problems = sim::Problems();
    std::string notes;
    for (std::size_t i = g_problemsSeen; i < problems.size(); ++i) {
        notes += (notes.empty() ? "simulation: " : "; ") + problems[i];
    }
    g_problemsSeen = problems.size();
    return notes;
}
