#include "tests/fidelity/comparison.h"

#include <set>
#include <sstream>

namespace {

struct Verdict {
    bool same;
    std::string detail;
};

Verdict Judge(const FidelityCase& entry, const std::string& sim, const std::string& wine) {
    if (!entry.deviation) {
        return {sim == wine, "    wine: " + wine + "\n    sim:  " + sim + "\n"};
    }
    const WineDeviation& mark = *entry.deviation;
    std::string detail;
    if (sim != mark.windowsResult) {
        detail += "    sim:     " + sim + "\n    windows: " + mark.windowsResult + "\n";
    }
    if (wine != mark.wineResult) {
        detail += "    wine:          " + wine + "\n    recorded wine: " + mark.wineResult + "\n";
    }
    return {detail.empty(), detail};
}

}  // namespace

std::map<std::string, std::string> ParseLines(const std::string& text) {
    std::map<std::string, std::string> lines;
    std::istringstream input(text);
    std::string line;
    while (std::getline(input, line)) {
        if (line.empty()) {
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            lines[line] = "";
        } else {
            lines[line.substr(0, tab)] = line.substr(tab + 1);
        }
    }
    return lines;
}

int Compare(const std::vector<FidelityCase>& table, const std::vector<CaseLine>& simLines,
            const std::map<std::string, std::string>& wineLines, std::ostream& out) {
    int differences = 0;
    std::set<std::string> known;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const FidelityCase& entry = table[i];
        if (!known.insert(entry.name).second) {
            out << "DIFF  " << entry.name << "\n    the table has two cases of this name\n";
            ++differences;
            continue;
        }
        const auto wine = wineLines.find(entry.name);
        if (wine == wineLines.end()) {
            out << "DIFF  " << entry.name << "\n    wine: (no line)\n    sim:  " << simLines[i].result
                << "\n";
            ++differences;
            continue;
        }
        const Verdict verdict = Judge(entry, simLines[i].result, wine->second);
        if (verdict.same) {
            out << "ok    " << entry.name;
            if (entry.deviation) {
                out << "  (follows Windows; Wine differs as marked: " << entry.deviation->note << ")";
            }
            out << "\n";
        } else {
            out << "DIFF  " << entry.name << "\n" << verdict.detail;
            ++differences;
        }
    }
    for (const auto& [name, result] : wineLines) {
        if (known.count(name) == 0) {
            out << "DIFF  " << name << "\n    wine: " << result << "\n    sim:  (no such case)\n";
            ++differences;
        }
    }
    out << table.size() << " cases, " << differences << " difference(s)\n";
    return differences;
}
