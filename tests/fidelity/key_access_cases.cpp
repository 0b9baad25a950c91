// A key that refuses KEY_ALL_ACCESS but grants KEY_WRITE, as a machine may be
// set up: what opening and creating with each mask return and write, and what
// a handle of each lets the program set, query and delete.
#include "tests/fidelity/arrange.h"
#include "tests/fidelity/fidelity_case.h"
#include "tests/fidelity/result_text.h"
#include "tests/fidelity/test_key.h"

namespace {

const char kRefused[] = "Refused";

std::string UseHandle(HKEY key, const std::string& valueName) {
    const std::vector<WCHAR> name = Wide(valueName);
    const DWORD one = 1;
    const LSTATUS set =
        RegSetValueExW(key, name.data(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    DWORD type = kPoisonType;
    DWORD size = kPoisonDword;
    const LSTATUS query = RegQueryValueExW(key, name.data(), nullptr, &type, nullptr, &size);
    const LSTATUS deleted = RegDeleteValueW(key, name.data());
    const LSTATUS deletedAgain = RegDeleteValueW(key, name.data());
    return " set=" + Number(set) + " query=" + Number(query) + " type=" + Written(type, kPoisonType) +
           " size=" + Written(size, kPoisonDword) + " delete=" + Number(deleted) +
           " delete again=" + Number(deletedAgain);
}

std::string OpenRefusedKey(REGSAM access, const std::string& valueName) {
    if (!ArrangeKeyGrants(TestPath(kRefused), KEY_WRITE)) {
        return "arranging the key's rights failed";
    }
    HKEY key = PoisonKey();
    const LSTATUS result =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(TestPath(kRefused)).data(), 0, access, &key);
    std::string line = "ret=" + Number(result) + " key=" + DescribeKey(key);
    if (result == ERROR_SUCCESS) {
        line += UseHandle(key, valueName);
        RegCloseKey(key);
    }
    return line;
}

std::string CreateRefusedKey(REGSAM access, const std::string& valueName) {
    if (!ArrangeKeyGrants(TestPath(kRefused), KEY_WRITE)) {
        return "arranging the key's rights failed";
    }
    HKEY key = PoisonKey();
    DWORD disposition = kPoisonDword;
    const LSTATUS result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(TestPath(kRefused)).data(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    std::string line = "ret=" + Number(result) + " disposition=" + Written(disposition, kPoisonDword) +
                       " key=" + DescribeKey(key);
    if (result == ERROR_SUCCESS) {
        line += UseHandle(key, valueName);
        RegCloseKey(key);
    }
    return line;
}

}  // namespace

std::vector<FidelityCase> KeyAccessCases() {
    return {
        {"refused_open_all_access", [] { return OpenRefusedKey(KEY_ALL_ACCESS, "open_all"); }, std::nullopt},
        {"refused_open_write", [] { return OpenRefusedKey(KEY_WRITE, "open_write"); }, std::nullopt},
        {"refused_create_all_access", [] { return CreateRefusedKey(KEY_ALL_ACCESS, "create_all"); },
         std::nullopt},
        {"refused_create_write", [] { return CreateRefusedKey(KEY_WRITE, "create_write"); }, std::nullopt},
    };
}
