// Holds the simulation's lines to Wine's: equal, except in the cases the
// table marks as a known Wine deviation, where the simulation must give the
// documented Windows answer and Wine exactly its recorded one.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/fidelity/fidelity_case.h"

// Parses "<case>\t<result>" lines; a line without a tab is kept under its
// whole text with an empty result, so that it shows up as unknown.
std::map<std::string, std::string> ParseLines(const std::string& text);

// Prints every case with ok or DIFF (and the two lines for each DIFF);
// returns the number of differences.
int Compare(const std::vector<FidelityCase>& table, const std::vector<CaseLine>& simLines,
            const std::map<std::string, std::string>& wineLines, std::ostream& out);
