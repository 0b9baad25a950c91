// The release classification, as a pure function and through CWinVersion on
// the simulated platform.
#include <functional>

#include "env/win_version.h"
#include "tests/unit/sim_fixture.h"

namespace {

constexpr BYTE kWorkstation = VER_NT_WORKSTATION;
constexpr BYTE kDomainController = VER_NT_DOMAIN_CONTROLLER;
constexpr BYTE kServer = VER_NT_SERVER;
constexpr WORD kIntel = PROCESSOR_ARCHITECTURE_INTEL;
constexpr WORD kIa64 = PROCESSOR_ARCHITECTURE_IA64;
constexpr WORD kAmd64 = PROCESSOR_ARCHITECTURE_AMD64;

struct KindRow {
    const char* name;
    VersionReport report;
    WinKind kind;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const KindRow& value, std::ostream* out) {
    *out << value.name;
}

const KindRow kKindRows[] = {
    {"Win32s", {VER_PLATFORM_WIN32s, 3, 10, 0, kIntel}, Win32s},
    {"Windows 95", {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0, kIntel}, Win95},
    {"platform 1 minor 9", {VER_PLATFORM_WIN32_WINDOWS, 4, 9, 0, kIntel}, Win95},
    {"Windows 98", {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0, kIntel}, Win98},
    {"platform 1 minor 89", {VER_PLATFORM_WIN32_WINDOWS, 4, 89, 0, kIntel}, Win98},
    {"Windows Me", {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0, kIntel}, WinMe},
    {"platform 1 ignores the major version", {VER_PLATFORM_WIN32_WINDOWS, 9, 0, kWorkstation, kAmd64}, Win95},
    {"NT 3.51", {VER_PLATFORM_WIN32_NT, 3, 51, kWorkstation, kIntel}, WinNT4},
    {"NT 4.0", {VER_PLATFORM_WIN32_NT, 4, 0, kServer, kIntel}, WinNT4},
    {"Windows 2000", {VER_PLATFORM_WIN32_NT, 5, 0, kServer, kIntel}, Win2000},
    {"XP workstation", {VER_PLATFORM_WIN32_NT, 5, 1, kWorkstation, kIntel}, WinXP},
    {"5.1 of any product type", {VER_PLATFORM_WIN32_NT, 5, 1, kServer, kIntel}, WinXP},
    {"5.2 workstation on AMD64", {VER_PLATFORM_WIN32_NT, 5, 2, kWorkstation, kAmd64}, WinXP},
    {"5.2 workstation on IA64", {VER_PLATFORM_WIN32_NT, 5, 2, kWorkstation, kIa64}, WinServer2003},
    {"5.2 workstation without architecture",
     {VER_PLATFORM_WIN32_NT, 5, 2, kWorkstation, kIntel},
     WinServer2003},
    {"5.2 server on AMD64", {VER_PLATFORM_WIN32_NT, 5, 2, kServer, kAmd64}, WinServer2003},
    {"5.3 workstation on AMD64", {VER_PLATFORM_WIN32_NT, 5, 3, kWorkstation, kAmd64}, WinXP},
    {"Vista", {VER_PLATFORM_WIN32_NT, 6, 0, kWorkstation, kAmd64}, WinVista},
    {"Server 2008", {VER_PLATFORM_WIN32_NT, 6, 0, kServer, kAmd64}, WinServer2008},
    {"6.0 domain controller", {VER_PLATFORM_WIN32_NT, 6, 0, kDomainController, kIntel}, WinServer2008},
    {"Windows 7", {VER_PLATFORM_WIN32_NT, 6, 1, kWorkstation, kIntel}, Win7},
    {"Server 2008 R2", {VER_PLATFORM_WIN32_NT, 6, 1, kServer, kAmd64}, WinServer2008R2},
    {"6.2 workstation", {VER_PLATFORM_WIN32_NT, 6, 2, kWorkstation, kAmd64}, Win7},
    {"6.3 server", {VER_PLATFORM_WIN32_NT, 6, 3, kServer, kAmd64}, WinServer2008R2},
    {"7.0", {VER_PLATFORM_WIN32_NT, 7, 0, kServer, kAmd64}, WinFuture},
    {"10.0 workstation", {VER_PLATFORM_WIN32_NT, 10, 0, kWorkstation, kAmd64}, WinFuture},
    {"platform 3", {3, 6, 1, kWorkstation, kAmd64}, WinUnknown},
};

class ClassifyTest : public ::testing::TestWithParam<KindRow> {};

TEST_P(ClassifyTest, GivesTheKindOfTheTable) {
    EXPECT_EQ(ClassifyWindows(GetParam().report), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(WinKind, ClassifyTest, ::testing::ValuesIn(kKindRows),
                         [](const auto& info) { return TestNameOf(info.param.name); });

// ------------------------------------------------------------- CWinVersion --

sim::VersionAnswer Answer(DWORD platform, DWORD major, DWORD minor, BYTE productType) {
    sim::VersionAnswer answer;
    answer.platformId = platform;
    answer.major = major;
    answer.minor = minor;
    answer.productType = productType;
    return answer;
}

struct ProbeCase {
    const char* name;
    sim::VersionAnswer answer;
    std::function<void()> arrange;
    WinKind kind;
    std::vector<DWORD> querySizes;
};

void PrintTo(const ProbeCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<ProbeCase> ProbeCases() {
    const DWORD nt = VER_PLATFORM_WIN32_NT;
    const DWORD nine = VER_PLATFORM_WIN32_WINDOWS;
    const std::vector<DWORD> both = {276, 284};
    const std::vector<DWORD> plain = {276};
    return {
        {"Vista", Answer(nt, 6, 0, kWorkstation), [] {}, WinVista, both},
        {"Server 2008", Answer(nt, 6, 0, kServer), [] {}, WinServer2008, both},
        {"Windows 7", Answer(nt, 6, 1, kWorkstation), [] {}, Win7, both},
        {"Server 2008 R2", Answer(nt, 6, 1, kServer), [] {}, WinServer2008R2, both},
        {"6.2 workstation", Answer(nt, 6, 2, kWorkstation), [] {}, Win7, both},
        {"10.0", Answer(nt, 10, 0, kWorkstation), [] {}, WinFuture, both},
        {"5.2 workstation AMD64", Answer(nt, 5, 2, kWorkstation), [] { sim::SetNativeArchitecture(kAmd64); },
         WinXP, both},
        {"5.2 workstation IA64", Answer(nt, 5, 2, kWorkstation), [] { sim::SetNativeArchitecture(kIa64); },
         WinServer2003, both},
        {"5.2 workstation without GetNativeSystemInfo", Answer(nt, 5, 2, kWorkstation),
         [] { sim::RemoveKernel32Export("GetNativeSystemInfo"); }, WinServer2003, both},
        {"5.2 workstation without kernel32", Answer(nt, 5, 2, kWorkstation),
         [] { sim::SetKernel32Loaded(false); }, WinServer2003, both},
        {"XP", Answer(nt, 5, 1, kWorkstation), [] {}, WinXP, both},
        {"NT 4", Answer(nt, 4, 0, kWorkstation), [] {}, WinNT4, plain},
        {"Windows 95", Answer(nine, 4, 0, 0), [] {}, Win95, plain},
        {"Windows 98", Answer(nine, 4, 10, 0), [] {}, Win98, plain},
        {"Windows Me", Answer(nine, 4, 90, 0), [] {}, WinMe, plain},
        {"Win32s", Answer(VER_PLATFORM_WIN32s, 3, 10, 0), [] {}, Win32s, plain},
        {"first query fails",
         Answer(nt, 6, 1, kWorkstation),
         [] { sim::FailCall("GetVersionExW", 1, ERROR_INVALID_PARAMETER); },
         WinUnknown,
         {}},
        {"second query fails", Answer(nt, 6, 1, kWorkstation),
         [] { sim::FailCall("GetVersionExW", 2, ERROR_INVALID_PARAMETER); }, WinUnknown, plain},
    };
}

class ProbeTest : public SimTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeTest, ClassifiesThePlatformsAnswer) {
    const ProbeCase& probe = GetParam();
    sim::SetVersion(probe.answer);
    probe.arrange();

    const CWinVersion version;

    EXPECT_EQ(version.m_kind, probe.kind);
    EXPECT_EQ(sim::VersionQuerySizes(), probe.querySizes) << "sizes the platform was asked with";
}

INSTANTIATE_TEST_SUITE_P(CWinVersion, ProbeTest, ::testing::ValuesIn(ProbeCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

class WinVersionTest : public SimTest {};

TEST_F(WinVersionTest, FailedFirstQueryLeavesEverythingButTheMachineFacts) {
    sim::SetSystemMetric(SM_TABLETPC, 1);
    sim::FailCall("GetVersionExW", 1, ERROR_INVALID_PARAMETER);

    const CWinVersion version;

    EXPECT_EQ(version.m_kind, WinUnknown);
    EXPECT_EQ(version.m_servicePackMajor, 0);
    EXPECT_EQ(version.m_servicePackText[0], 0);
    EXPECT_EQ(version.m_productType, 0u);
    EXPECT_EQ(version.m_systemInfo.wProcessorArchitecture, kAmd64);
    EXPECT_EQ(version.m_bitness, Bits64);
    EXPECT_EQ(version.m_editionFlags, static_cast<DWORD>(EditionTabletPC));
    EXPECT_TRUE(sim::ProductInfoCalls().empty());
    EXPECT_EQ(sim::CallCount("GetProcAddress"), 1) << "only GetNativeSystemInfo is looked up";
}

TEST_F(WinVersionTest, FailedSecondQueryRunsTheRestOverTheClearedStructure) {
    sim::VersionAnswer answer = Answer(VER_PLATFORM_WIN32_NT, 6, 1, kWorkstation);
    answer.servicePackMajor = 2;
    answer.servicePackText = u"Service Pack 2";
    sim::SetVersion(answer);
    sim::FailCall("GetVersionExW", 2, ERROR_INVALID_PARAMETER);

    const CWinVersion version;

    EXPECT_EQ(version.m_kind, WinUnknown);
    EXPECT_EQ(version.m_servicePackMajor, 0);
    EXPECT_EQ(Text(version.m_servicePackText), u"");
    EXPECT_EQ(version.m_productType, 0u);
    EXPECT_TRUE(sim::ProductInfoCalls().empty());
    EXPECT_EQ(sim::CallCount("GetProcAddress"), 1) << "GetProductInfo is not looked up";
}

TEST_F(WinVersionTest, CopiesTheServicePackOfTheExtendedAnswer) {
    sim::VersionAnswer answer = Answer(VER_PLATFORM_WIN32_NT, 6, 0, kWorkstation);
    answer.servicePackMajor = 2;
    answer.servicePackMinor = 1;
    answer.servicePackText = u"Service Pack 2";
    sim::SetVersion(answer);
    sim::SetProductInfo(TRUE, 0x30);

    const CWinVersion version;

    EXPECT_EQ(version.m_servicePackMajor, 2);
    EXPECT_EQ(Text(version.m_servicePackText), u"Service Pack 2");
    EXPECT_EQ(version.m_productType, 0x30u);
    ASSERT_EQ(sim::ProductInfoCalls().size(), 1u);
    const sim::ProductInfoCall& call = sim::ProductInfoCalls()[0];
    EXPECT_EQ(std::vector<DWORD>({call.major, call.minor, call.servicePackMajor, call.servicePackMinor}),
              std::vector<DWORD>({6, 0, 2, 1}));
}

TEST_F(WinVersionTest, NtFourHasNoServicePackNumber) {
    sim::VersionAnswer answer = Answer(VER_PLATFORM_WIN32_NT, 4, 0, kWorkstation);
    answer.servicePackMajor = 6;
    answer.servicePackText = u"Service Pack 6";
    sim::SetVersion(answer);

    const CWinVersion version;

    EXPECT_EQ(version.m_servicePackMajor, 0) << "only the plain structure was filled";
    EXPECT_EQ(Text(version.m_servicePackText), u"Service Pack 6");
    EXPECT_TRUE(sim::ProductInfoCalls().empty()) << "no product info before 6.0";
}

struct ServicePackText {
    const char* name;
    std::size_t units;
    std::size_t kept;
};

void PrintTo(const ServicePackText& value, std::ostream* out) {
    *out << value.name;
}

class ServicePackTextTest : public SimTest, public ::testing::WithParamInterface<ServicePackText> {};

TEST_P(ServicePackTextTest, IsCutToCapacityAndTerminated) {
    sim::VersionAnswer answer = Answer(VER_PLATFORM_WIN32_NT, 6, 1, kWorkstation);
    answer.servicePackText.clear();
    for (std::size_t i = 0; i < GetParam().units; ++i) {
        answer.servicePackText.push_back(static_cast<char16_t>(u'A' + i % 26));
    }
    sim::SetVersion(answer);

    const CWinVersion version;

    EXPECT_EQ(Text(version.m_servicePackText), answer.servicePackText.substr(0, GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(CWinVersion, ServicePackTextTest,
                         ::testing::Values(ServicePackText{"empty", 0, 0},
                                           ServicePackText{"126 units", 126, 126},
                                           ServicePackText{"127 units", 127, 127},
                                           ServicePackText{"128 units unterminated", 128, 127}),
                         [](const auto& info) { return TestNameOf(info.param.name); });

struct ProductInfoCase {
    const char* name;
    std::function<void()> arrange;
    DWORD productType;
    std::size_t calls;
};

void PrintTo(const ProductInfoCase& value, std::ostream* out) {
    *out << value.name;
}

class ProductInfoTest : public SimTest, public ::testing::WithParamInterface<ProductInfoCase> {};

TEST_P(ProductInfoTest, StoresOnlyAReportedType) {
    GetParam().arrange();

    const CWinVersion version;

    EXPECT_EQ(version.m_productType, GetParam().productType);
    EXPECT_EQ(sim::ProductInfoCalls().size(), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    CWinVersion, ProductInfoTest,
    ::testing::Values(ProductInfoCase{"reported", [] { sim::SetProductInfo(TRUE, 0x06); }, 0x06, 1},
                      ProductInfoCase{"call returns 0", [] { sim::SetProductInfo(FALSE, 0x06); }, 0, 1},
                      ProductInfoCase{"function missing", [] { sim::RemoveKernel32Export("GetProductInfo"); },
                                      0, 0},
                      ProductInfoCase{"no kernel32", [] { sim::SetKernel32Loaded(false); }, 0, 0}),
    [](const auto& info) { return TestNameOf(info.param.name); });

struct BitnessCase {
    WORD architecture;
    Bitness bitness;
};

void PrintTo(const BitnessCase& value, std::ostream* out) {
    *out << "architecture " << value.architecture;
}

class BitnessTest : public SimTest, public ::testing::WithParamInterface<BitnessCase> {};

TEST_P(BitnessTest, FollowsTheNativeArchitecture) {
    sim::SetNativeArchitecture(GetParam().architecture);

    const CWinVersion version;

    EXPECT_EQ(version.m_bitness, GetParam().bitness);
    EXPECT_EQ(version.m_systemInfo.wProcessorArchitecture, GetParam().architecture);
}

INSTANTIATE_TEST_SUITE_P(
    CWinVersion, BitnessTest,
    ::testing::Values(BitnessCase{kIntel, Bits32}, BitnessCase{kIa64, Bits64}, BitnessCase{kAmd64, Bits64},
                      BitnessCase{PROCESSOR_ARCHITECTURE_IA32_ON_WIN64, Bits64}, BitnessCase{5, BitsUnknown},
                      BitnessCase{12, BitsUnknown}, BitnessCase{PROCESSOR_ARCHITECTURE_UNKNOWN, BitsUnknown}),
    [](const auto& info) { return "Architecture" + std::to_string(info.param.architecture); });

TEST_F(WinVersionTest, MissingGetNativeSystemInfoLeavesTheSystemInfoZero) {
    sim::RemoveKernel32Export("GetNativeSystemInfo");

    const CWinVersion version;

    EXPECT_EQ(version.m_bitness, BitsUnknown);
    EXPECT_EQ(version.m_systemInfo.wProcessorArchitecture, 0);
    EXPECT_EQ(version.m_systemInfo.dwPageSize, 0u);
    EXPECT_EQ(sim::CallCount("GetNativeSystemInfo"), 0);
}

TEST_F(WinVersionTest, LooksUpBothFunctionsInKernel32ByName) {
    const CWinVersion version;

    std::vector<std::string> lookups;
    for (const sim::CallRecord& call : sim::Calls()) {
        if (call.name == "GetModuleHandleW" || call.name == "GetProcAddress") {
            lookups.push_back(call.name + "(" + call.args + ")");
        }
    }
    EXPECT_EQ(lookups, (std::vector<std::string>{"GetModuleHandleW(L\"kernel32.dll\")",
                                                 "GetProcAddress(0x7c800000, \"GetNativeSystemInfo\")",
                                                 "GetProcAddress(0x7c800000, \"GetProductInfo\")"}));
}

struct EditionCase {
    std::vector<int> metrics;
    DWORD flags;
};

void PrintTo(const EditionCase& value, std::ostream* out) {
    *out << "edition flags " << value.flags;
}

class EditionTest : public SimTest, public ::testing::WithParamInterface<EditionCase> {};

TEST_P(EditionTest, SetsAFlagPerMetric) {
    for (int metric : GetParam().metrics) {
        sim::SetSystemMetric(metric, 1);
    }

    const CWinVersion version;

    EXPECT_EQ(version.m_editionFlags, GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(CWinVersion, EditionTest,
                         ::testing::Values(EditionCase{{}, 0}, EditionCase{{SM_TABLETPC}, 1},
                                           EditionCase{{SM_MEDIACENTER}, 2}, EditionCase{{SM_STARTER}, 4},
                                           EditionCase{{SM_TABLETPC, SM_MEDIACENTER, SM_STARTER}, 7}),
                         [](const auto& info) { return "Flags" + std::to_string(info.param.flags); });

}  // namespace
