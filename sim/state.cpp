#include "sim/state.h"

namespace sim::detail {

World& W() {
    static World world;
    return world;
}

void ReportProblem(std::string problem) {
    W().problems.push_back(std::move(problem));
}

}  // namespace sim::detail

namespace sim {

void Reset() {
    detail::W() = detail::World();
}

std::vector<std::string> Problems() {
    const detail::World& world = detail::W();
    std::vector<std::string> problems = world.problems;
    if (!world.ui.messageBoxAnswers.empty()) {
        problems.push_back(std::to_string(world.ui.messageBoxAnswers.size()) +
                           " scripted message box answer(s) never used");
    }
    if (!world.ui.dialogScripts.empty()) {
        problems.push_back(std::to_string(world.ui.dialogScripts.size()) +
                           " scripted dialog(s) never opened");
    }
    return problems;
}

}  // namespace sim
