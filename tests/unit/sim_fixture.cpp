#include "tests/unit/sim_fixture.h"

#include <algorithm>
#include <cctype>

#include "app/process_state.h"

namespace {

class ProgramResources : public ::testing::Environment {
  public:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::LoadResourceFile(QUENLOFT_RES_FILE, error)) << error;
    }
};

::testing::Environment* const programResources = ::testing::AddGlobalTestEnvironment(new ProgramResources);

std::string DescribeBadReleases() {
    std::string text;
    for (const sim::BadRelease& release : sim::BadReleases()) {
        text += release.function + " of " + std::to_string(release.value) + " that was not open\n";
    }
    return text;
}

}  // namespace

void SimTest::SetUp() {
    sim::Reset();
    appInstance = sim::ProgramInstance();
    initialState = Enabled;
    chosenState = Enabled;
}

void SimTest::TearDown() {
    EXPECT_EQ(sim::OpenHandleCount(), 0u) << sim::DescribeOpenHandles();
    EXPECT_TRUE(sim::BadReleases().empty()) << DescribeBadReleases();
    EXPECT_EQ(sim::Problems(), std::vector<std::string>());
}

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
    std::vector<BYTE> bytes;
    for (int value : values) {
        bytes.push_back(static_cast<BYTE>(value));
    }
    return bytes;
}

std::vector<BYTE> DwordBytes(DWORD value) {
    return Bytes({static_cast<int>(value & 0xFF), static_cast<int>(value >> 8 & 0xFF),
                  static_cast<int>(value >> 16 & 0xFF), static_cast<int>(value >> 24)});
}

std::vector<BYTE> BytesStartingWith(std::initializer_list<int> prefix, std::size_t size) {
    std::vector<BYTE> bytes = Bytes(prefix);
    bytes.resize(size, 0xAB);
    return bytes;
}

std::u16string Text(const WCHAR* text) {
    std::u16string result;
    for (; *text != 0; ++text) {
        result.push_back(static_cast<char16_t>(*text));
    }
    return result;
}

std::vector<std::string> CallNamesAfter(const std::string& name) {
    const std::vector<std::string> names = sim::CallNames();
    const auto first = std::find(names.begin(), names.end(), name);
    return first == names.end() ? names : std::vector<std::string>(first + 1, names.end());
}

bool AnyCallStartsWith(const std::vector<std::string>& names, const std::string& prefix) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return name.compare(0, prefix.size(), prefix) == 0; });
}

std::string TestNameOf(const char* description) {
    std::string name;
    for (const char* c = description; *c != 0; ++c) {
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    }
    return name;
}
