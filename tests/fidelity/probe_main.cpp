// Runs the table under Windows (in the tests, under Wine) and prints one
// "<case>\t<result>" line per case. Exit code 0, or 2 when the machine could
// not be cleaned before or after.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tests/fidelity/arrange.h"
#include "tests/fidelity/fidelity_case.h"

int main() {
    // Plain "\n" line ends, as the host side prints them.
    _setmode(_fileno(stdout), _O_BINARY);
    if (!ArrangeCleanMachine()) {
        std::fprintf(stderr, "probe: could not remove the test keys left by an earlier run\n");
        return 2;
    }
    for (const CaseLine& line : RunTable()) {
        std::printf("%s\n", FormatLine(line).c_str());
        std::fflush(stdout);
    }
    if (!ArrangeCleanMachine()) {
        std::fprintf(stderr, "probe: could not remove the test keys\n");
        return 2;
    }
    return 0;
}
