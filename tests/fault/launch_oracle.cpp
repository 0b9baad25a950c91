#include "tests/fault/launch_oracle.h"

#include "res/resource.h"
#include "tests/expected_messages.h"
#include "tests/fault/version_oracle.h"

namespace {

const std::u16string kShutdownPrivilege = u"SeShutdownPrivilege";

class Predictor {
  public:
    Predictor(const Scenario& scenario, const FailurePoint* failure)
        : m_scenario(scenario), m_failure(failure) {}

    ExpectedRun Run() {
        m_run.fastResumeValue = StoredAtStart();
        m_run.hidUsbKeyExists = m_scenario.storedDisabled;
        if (Fails(Effect::ReleaseRefused)) {
            m_run.handleLeftOpen = m_failure->released;
        }
        m_run.exitCode = Launch();
        return m_run;
    }

  private:
    bool Fails(Effect effect) const { return m_failure != nullptr && m_failure->effect == effect; }
    bool FailsForBox(Effect effect, UINT type) const { return Fails(effect) && m_failure->boxType == type; }

    std::optional<sim::StoredValue> StoredAtStart() const {
        if (!m_scenario.storedDisabled) {
            return std::nullopt;
        }
        return sim::StoredValue{REG_DWORD, {1, 0, 0, 0}};
    }

    // The gates in their order, then the setting; -1 from the first gate that refuses.
    int Launch() {
        if (!PassesGuard() || !PassesReleaseGate() || !PassesRightsGate()) {
            return -1;
        }
        ChangeSetting();
        return 0;
    }

    bool PassesGuard() const {
        return !Fails(Effect::GuardNotCreated) &&
               (!m_scenario.otherCopyRunning || Fails(Effect::GuardCheckPasses));
    }

    bool PassesReleaseGate() {
        const std::u16string title = Fails(Effect::LaunchTitleEmpty) ? u"" : kTitle;
        const std::u16string question = Fails(Effect::LaunchQuestionEmpty) ? u"" : kFutureQuestion;
        const WORD architecture = Fails(Effect::NoNativeArchitecture) ? 0 : m_scenario.nativeArchitecture;
        const WinKind kind = KindOf(m_scenario.version, architecture, Fails(Effect::VersionUnknown));
        if (kind == WinFuture && !IsQuestionSuppressed() &&
            Box(kFutureBox, question, title, m_scenario.futureAnswer) == IDNO) {
            return false;
        }
        if (kind != WinVista && kind != Win7 && kind != WinFuture) {
            Message(kUnsupportedBox, kUnsupported, IDOK);
            return false;
        }
        return true;
    }

    bool PassesRightsGate() {
        if (m_scenario.account != sim::Account::ElevatedAdmin || Fails(Effect::NotAdmin)) {
            Message(kNeedAdminBox, kNeedAdmin, IDOK);
            return false;
        }
        return true;
    }

    void ChangeSetting() {
        const bool initialDisabled = m_scenario.storedDisabled && !Fails(Effect::StateUnread);
        if (Fails(Effect::DialogFails)) {
            return;
        }
        const std::optional<bool> chosenDisabled = RunDialog(initialDisabled);
        if (!chosenDisabled || *chosenDisabled == initialDisabled) {
            return;
        }
        Apply(*chosenDisabled);
        if (Message(kRestartBox, kRestartPrompt, m_scenario.restartAnswer) == IDYES) {
            Restart();
        }
    }

    bool IsQuestionSuppressed() const { return m_scenario.switchValue == 1u && !Fails(Effect::SwitchUnread); }

    // A box that fails to appear answers 0.
    int Box(UINT type, const std::u16string& text, const std::u16string& caption, int answer) {
        if (FailsForBox(Effect::BoxFails, type)) {
            return 0;
        }
        m_run.boxes.push_back(ExpectedBox{type, text, caption, answer});
        return answer;
    }

    // A message of the string table: title and text are loaded for each box.
    int Message(UINT type, const std::u16string& text, int answer) {
        return Box(type, FailsForBox(Effect::BoxTextEmpty, type) ? u"" : text,
                   FailsForBox(Effect::BoxTitleEmpty, type) ? u"" : kTitle, answer);
    }

    // The state OK confirms (true: Disabled), or nothing after Cancel.
    std::optional<bool> RunDialog(bool initialDisabled) {
        m_run.dialogShown = true;
        m_run.checkedWhenShown = Fails(Effect::InitialCheckMissing) ? 0
                                 : initialDisabled                  ? IDC_DISABLED
                                                                    : IDC_ENABLED;
        m_run.clicks = UserClicks();
        if (m_scenario.intent == DialogIntent::Cancel) {
            return std::nullopt;
        }
        // OK reads "Enabled" first, then "Disabled"; with neither read as
        // checked the state stays as it was read.
        const bool wantsDisabled = m_scenario.intent == DialogIntent::ChooseDisabled;
        if (!wantsDisabled && !Fails(Effect::EnabledReadsUnchecked)) {
            return false;
        }
        if (wantsDisabled && !Fails(Effect::DisabledReadsUnchecked)) {
            return true;
        }
        return initialDisabled;
    }

    // A click the dialog did not act on, or that could not close it, the user repeats.
    std::vector<int> UserClicks() const {
        std::vector<int> clicks;
        switch (m_scenario.intent) {
            case DialogIntent::Cancel:
                clicks = {IDCANCEL};
                break;
            case DialogIntent::ChooseDisabled:
                clicks = {IDC_DISABLED, IDOK};
                break;
            case DialogIntent::ChooseEnabled:
                clicks = {IDC_ENABLED, IDOK};
                break;
        }
        if (Fails(Effect::CommandIgnored)) {
            const int ignored = clicks[static_cast<std::size_t>(m_failure->command - 1)];
            if (ignored == IDOK || ignored == IDCANCEL) {
                clicks.insert(clicks.begin() + m_failure->command, ignored);
            }
        }
        if (Fails(Effect::EndDialogRefused)) {
            clicks.push_back(clicks.back());
        }
        return clicks;
    }

    void Apply(bool disable) {
        if (disable) {
            m_run.hidUsbKeyExists = true;  // the open creates it, whether or not the set succeeds
            m_run.keyWriteRetried = Fails(Effect::FullAccessRefused);
            if (!Fails(Effect::ValueNotWritten)) {
                m_run.fastResumeValue = sim::StoredValue{REG_DWORD, {1, 0, 0, 0}};
            }
        } else if (!Fails(Effect::ValueNotDeleted)) {
            m_run.fastResumeValue = std::nullopt;
        }
    }

    void Restart() {
        if (Fails(Effect::NoToken)) {
            return;
        }
        m_run.shutdownRequests = Fails(Effect::ShutdownCallFails) ? 0 : 1;
        m_run.shutdownAccepted = m_run.shutdownRequests == 1 && !Fails(Effect::ShutdownPrivilegeMissing);
        if (Fails(Effect::PrivilegesNotDropped)) {
            m_run.enabledPrivileges = {kShutdownPrivilege};
        }
    }

    const Scenario& m_scenario;
    const FailurePoint* m_failure;
    ExpectedRun m_run;
};

}  // namespace

ExpectedRun Predict(const Scenario& scenario, const FailurePoint* failure) {
    return Predictor(scenario, failure).Run();
}
