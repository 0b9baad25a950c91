// Runs the table on the simulated Windows.
//   quenloft_fidelity_sim                 prints one "<case>\t<result>" line per case
//   quenloft_fidelity_sim --compare FILE  holds the lines to Wine's lines in FILE;
//                                         exit code 1 on any difference
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "sim/sim.h"
#include "tests/fidelity/arrange.h"
#include "tests/fidelity/comparison.h"
#include "tests/fidelity/fidelity_case.h"

namespace {

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string usage = "usage: quenloft_fidelity_sim [--compare WINE_LINES]";
    if (argc != 1 && !(argc == 3 && std::string(argv[1]) == "--compare")) {
        std::cerr << usage << "\n";
        return 2;
    }
    std::string error;
    if (!sim::LoadResourceFile(QUENLOFT_RES_FILE, error)) {
        std::cerr << "cannot load " << QUENLOFT_RES_FILE << ": " << error << "\n";
        return 2;
    }
    ArrangeCleanMachine();
    const std::vector<CaseLine> lines = RunTable();
    if (argc == 1) {
        for (const CaseLine& line : lines) {
            std::cout << FormatLine(line) << "\n";
        }
        return 0;
    }
    std::string wineText;
    if (!ReadFile(argv[2], wineText)) {
        std::cerr << "cannot read " << argv[2] << "\n";
        return 2;
    }
    return Compare(FidelityCases(), lines, ParseLines(wineText), std::cout) == 0 ? 0 : 1;
}
