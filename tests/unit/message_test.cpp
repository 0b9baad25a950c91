// The string table as the compiled resources carry it, and ShowMessage.
#include "ui/message.h"
#include "app/process_state.h"
#include "res/resource.h"
#include "tests/unit/sim_fixture.h"

namespace {

constexpr WORD kEnglishUs = 1033;
constexpr WORD kFrench = 1036;
constexpr WORD kJapanese = 1041;

struct CatalogueText {
    WORD language;
    UINT id;
    const char16_t* text;
};

void PrintTo(const CatalogueText& value, std::ostream* out) {
    *out << "language " << value.language << ", string " << value.id;
}

const CatalogueText kCatalogue[] = {
    {kEnglishUs, IDS_TITLE, u"Quenloft"},
    {kEnglishUs, IDS_RESTART_PROMPT,
     u"You must restart your computer before the new settings will take effect.\n\nDo you want to restart?"},
    {kEnglishUs, IDS_NEED_ADMIN, u"Please execute by administrator authority."},
    {kEnglishUs, IDS_UNSUPPORTED_OS,
     u"This application program does not work properly under the current version of Windows."},
    {kEnglishUs, IDS_FUTURE_OS_CONFIRM,
     u"This application does not support current version of Windows.\nDo you want to continue launching this "
     u"application?"},
    {kFrench, IDS_TITLE, u"Quenloft"},
    {kFrench, IDS_RESTART_PROMPT,
     u"Il est nécessaire de redémarrer l'ordinateur pour appliquer les nouveaux réglages.\n\nRedémarrer "
     u"maintenant?"},
    {kFrench, IDS_NEED_ADMIN, u"Exécutez avec les privilèges d’administrateur."},
    {kFrench, IDS_UNSUPPORTED_OS, u"Ce programme ne fonctionne pas bien sous cette version de Windows."},
    {kFrench, IDS_FUTURE_OS_CONFIRM,
     u"Cette application n’est pas prise en charge par cette version de Windows.\n\nLancer quand même "
     u"l’application ?"},
    {kJapanese, IDS_TITLE, u"Quenloft"},
    {kJapanese, IDS_RESTART_PROMPT,
     u"新しい設定を有効にするには、コンピュータを再起動する必要があります。\n\n今すぐ再起動しますか？"},
    {kJapanese, IDS_NEED_ADMIN, u"管理者権限で実行してください。"},
    {kJapanese, IDS_UNSUPPORTED_OS, u"現在のOSでは使用できません"},
    {kJapanese, IDS_FUTURE_OS_CONFIRM,
     u"現在のOSはサポート対象外です。\nこのままアプリケーションを起動しますか？"},
};

class CatalogueTest : public SimTest, public ::testing::WithParamInterface<CatalogueText> {};

// The box shows the text in the user-interface language, captioned with the title of that language.
TEST_P(CatalogueTest, ShowMessageShowsTheTextOfTheUiLanguage) {
    const CatalogueText& entry = GetParam();
    sim::SetUiLanguage(entry.language);
    sim::QueueMessageBoxAnswer(IDOK);

    const int answer = ShowMessage(entry.id, MB_OK | MB_ICONWARNING);

    EXPECT_EQ(answer, IDOK);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxShown& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.text, std::u16string(entry.text));
    EXPECT_EQ(box.caption, std::u16string(u"Quenloft"));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
}

INSTANTIATE_TEST_SUITE_P(Strings, CatalogueTest, ::testing::ValuesIn(kCatalogue), [](const auto& info) {
    return "Language" + std::to_string(info.param.language) + "_Id" + std::to_string(info.param.id);
});

struct Fallback {
    const char* name;
    WORD uiLanguage;
    const char16_t* needAdminText;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const Fallback& value, std::ostream* out) {
    *out << value.name;
}

const Fallback kFallbacks[] = {
    {"German falls back to English", 1031, u"Please execute by administrator authority."},
    {"English UK takes English US", 2057, u"Please execute by administrator authority."},
    {"French Canadian takes French", 3084, u"Exécutez avec les privilèges d’administrateur."},
    {"Swiss French takes French", 4108, u"Exécutez avec les privilèges d’administrateur."},
};

class FallbackTest : public SimTest, public ::testing::WithParamInterface<Fallback> {};

TEST_P(FallbackTest, PlatformPicksOneOfTheThreeTables) {
    sim::SetUiLanguage(GetParam().uiLanguage);
    sim::QueueMessageBoxAnswer(IDOK);

    ShowMessage(IDS_NEED_ADMIN, MB_OK | MB_ICONWARNING);

    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, std::u16string(GetParam().needAdminText));
}

INSTANTIATE_TEST_SUITE_P(Strings, FallbackTest, ::testing::ValuesIn(kFallbacks),
                         [](const auto& info) { return TestNameOf(info.param.name); });

class ShowMessageTest : public SimTest {};

TEST_F(ShowMessageTest, ReturnsTheAnswerAndPassesTheBoxType) {
    sim::QueueMessageBoxAnswer(IDNO);

    EXPECT_EQ(ShowMessage(IDS_RESTART_PROMPT, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2), IDNO);

    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].type, 0x144u);
}

TEST_F(ShowMessageTest, FailingBoxReturnsZero) {
    sim::QueueMessageBoxAnswer(0);

    EXPECT_EQ(ShowMessage(IDS_NEED_ADMIN, MB_OK), 0);
}

TEST_F(ShowMessageTest, LoadsBothStringsWithTheStoredInstanceAndFullCapacity) {
    sim::QueueMessageBoxAnswer(IDOK);

    ShowMessage(IDS_UNSUPPORTED_OS, MB_OK | MB_ICONERROR);

    std::vector<std::string> loads;
    for (const sim::CallRecord& call : sim::Calls()) {
        if (call.name == "LoadStringW") {
            loads.push_back(call.args.substr(0, call.args.find(", ")) + " " +
                            call.args.substr(call.args.rfind(", ") + 2));
        }
    }
    EXPECT_EQ(loads, (std::vector<std::string>{"0x400000 0x104", "0x400000 0x104"}));
    EXPECT_EQ(sim::CallNames(), (std::vector<std::string>{"LoadStringW", "LoadStringW", "MessageBoxW"}));
}

// A string that cannot be loaded leaves an empty, terminated text; the box is shown all the same.
TEST_F(ShowMessageTest, UnloadableStringsShowEmpty) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::u16string caption;
        std::u16string text;
    };
    const Case cases[] = {
        {"title fails", [] { sim::FailCall("LoadStringW", 1, ERROR_RESOURCE_NAME_NOT_FOUND); }, u"",
         u"Please execute by administrator authority."},
        {"text fails", [] { sim::FailCall("LoadStringW", 2, ERROR_RESOURCE_NAME_NOT_FOUND); }, u"Quenloft",
         u""},
        {"foreign instance",
         [] { appInstance = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x10000000)); }, u"",
         u""},
        {"no string table", [] { sim::RemoveResource(6, IDS_TITLE / 16 + 1); }, u"", u""},
    };
    for (const Case& c : cases) {
        sim::Reset();
        appInstance = sim::ProgramInstance();
        c.arrange();
        sim::QueueMessageBoxAnswer(IDOK);

        ShowMessage(IDS_NEED_ADMIN, MB_OK | MB_ICONWARNING);

        ASSERT_EQ(sim::MessageBoxes().size(), 1u) << c.name;
        EXPECT_EQ(sim::MessageBoxes()[0].caption, c.caption) << c.name;
        EXPECT_EQ(sim::MessageBoxes()[0].text, c.text) << c.name;
    }
}

}  // namespace
