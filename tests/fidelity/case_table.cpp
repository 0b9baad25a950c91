#include "tests/fidelity/arrange.h"
#include "tests/fidelity/fidelity_case.h"

std::vector<FidelityCase> FidelityCases() {
    std::vector<FidelityCase> table;
    for (auto part : {RegistryQueryCases, RegistryKeyCases, KeyAccessCases, MutexCases, DialogCases}) {
        for (FidelityCase& entry : part()) {
            table.push_back(std::move(entry));
        }
    }
    return table;
}

std::vector<CaseLine> RunTable() {
    std::vector<CaseLine> lines;
    for (const FidelityCase& entry : FidelityCases()) {
        std::string result = entry.run();
        const std::string notes = SideNotes();
        lines.push_back({entry.name, notes.empty() ? result : result + " [" + notes + "]"});
    }
    return lines;
}

std::string FormatLine(const CaseLine& line) {
    return line.name + "\t" + line.result;
}
