// MessageBoxW answered from the test's queue; every box is logged.
#include <algorithm>
#include <optional>
#include <vector>

#include "sim/calls.h"
#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

constexpr UINT kButtonsMask = 0x0000000F;
constexpr UINT kDefaultButtonMask = 0x00000F00;

// The buttons of each MB_* button set, in their order on the box.
std::vector<int> ButtonsOf(UINT type) {
    switch (type & kButtonsMask) {
        case 0x0:  // MB_OK
            return {IDOK};
        case 0x1:  // MB_OKCANCEL
            return {IDOK, IDCANCEL};
        case 0x2:  // MB_ABORTRETRYIGNORE: IDABORT, IDRETRY, IDIGNORE
            return {3, 4, 5};
        case 0x3:  // MB_YESNOCANCEL
            return {IDYES, IDNO, IDCANCEL};
        case 0x4:  // MB_YESNO
            return {IDYES, IDNO};
        case 0x5:  // MB_RETRYCANCEL
            return {4, IDCANCEL};
        case 0x6:  // MB_CANCELTRYCONTINUE: IDCANCEL, IDTRYAGAIN, IDCONTINUE
            return {IDCANCEL, 10, 11};
    }
    return {};
}

// Enter presses the default button (MB_DEFBUTTONn); one beyond the box's buttons means the first.
int DefaultButtonOf(UINT type) {
    const std::vector<int> buttons = ButtonsOf(type);
    const std::size_t index = (type & kDefaultButtonMask) >> 8;
    if (buttons.empty()) {
        return 0;
    }
    return index < buttons.size() ? buttons[index] : buttons[0];
}

std::optional<std::u16string> TextOrNull(LPCWSTR text) {
    return text == nullptr ? std::nullopt : std::optional<std::u16string>(FromWide(text));
}

int NextAnswer(UINT type) {
    auto& answers = W().ui.messageBoxAnswers;
    if (answers.empty()) {
        ReportProblem("message box of type " + Describe(type) + " shown with no scripted answer");
        return 0;
    }
    int answer = answers.front();
    answers.pop_front();
    if (answer == sim::kPressEnter) {
        answer = DefaultButtonOf(type);
    }
    const std::vector<int> offered = ButtonsOf(type);
    if (answer != 0 && std::find(offered.begin(), offered.end(), answer) == offered.end()) {
        ReportProblem("scripted answer " + std::to_string(answer) + " is not a button of box type " +
                      Describe(type));
    }
    return answer;
}

}  // namespace

}  // namespace sim::detail

using namespace sim::detail;

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    if (auto injected = Enter("MessageBoxW", Args(hWnd, lpText, lpCaption, uType), kZeroWithLastError)) {
        return static_cast<int>(*injected);
    }
    const int answer = NextAnswer(uType);
    W().ui.messageBoxes.push_back(
        sim::MessageBoxShown{hWnd, TextOrNull(lpText), TextOrNull(lpCaption), uType, answer});
    if (answer == 0) {
        SetLastErrorValue(ERROR_NOT_ENOUGH_MEMORY);
    }
    return answer;
}

namespace sim {

void QueueMessageBoxAnswer(int answer) {
    W().ui.messageBoxAnswers.push_back(answer);
}

const std::vector<MessageBoxShown>& MessageBoxes() {
    return W().ui.messageBoxes;
}

}  // namespace sim
