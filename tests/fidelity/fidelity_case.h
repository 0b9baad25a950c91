// The table of platform cases that runs twice: under Wine in the probe and on
// the simulated Windows. Each case makes its calls through the program's own
// view of the interface and returns one normalised result line.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A case where Wine is known to answer differently from documented Windows.
// The simulation must give the Windows answer; Wine must give exactly its own
// recorded answer, so that a change in Wine is noticed too.
struct WineDeviation {
    std::string windowsResult;
    std::string wineResult;
    std::string note;  // what the documentation says and how Wine departs from it
};

struct FidelityCase {
    std::string name;
    std::function<std::string()> run;
    std::optional<WineDeviation> deviation;
};

std::vector<FidelityCase> FidelityCases();

std::vector<FidelityCase> RegistryQueryCases();
std::vector<FidelityCase> RegistryKeyCases();
std::vector<FidelityCase> KeyAccessCases();
std::vector<FidelityCase> MutexCases();
std::vector<FidelityCase> DialogCases();

struct CaseLine {
    std::string name;
    std::string result;
};

// Runs every case in table order; each result carries whatever the side
// itself noticed while the case ran (see SideNotes).
std::vector<CaseLine> RunTable();
std::string FormatLine(const CaseLine& line);
