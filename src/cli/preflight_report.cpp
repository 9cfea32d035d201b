// The dry run's report. See preflight_report.h.
#include "cli/preflight_report.h"

namespace ib::cli {

int reportPreflight(std::ostream& out, const std::vector<PreflightStep>& steps) {
    for (const PreflightStep& step : steps)
        for (const std::string& line : describePreflightPlan(step.plan)) out << line << '\n';
    for (const PreflightStep& step : steps) {
        if (auto problem = findPreflightProblem(step.plan)) {
            out << *problem << '\n';
            if (!step.errorMessage.empty()) out << step.errorMessage << '\n';
            return 1;
        }
    }
    out << "Nothing on the PC stands in the way; nothing was written.\n";
    return 0;
}

}  // namespace ib::cli
