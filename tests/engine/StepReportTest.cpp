// The causes a failed step is told by, for outcomes the platform here cannot
// produce: under Wine no process runs at a higher integrity level than
// another, and no post is refused for it.
#include "engine/StepReport.h"

#include <gtest/gtest.h>

namespace {

struct IntegrityCase {
    const char* name;
    StepResult result;
    DWORD error;
    bool higherIntegrity;
    FailureCause expected;
};

class IntegrityCauses : public ::testing::TestWithParam<IntegrityCase> {};

TEST_P(IntegrityCauses, AreToldAsAnApplicationRunningAsAdministrator) {
    StepOutcome outcome;
    outcome.result = GetParam().result;
    outcome.error = GetParam().error;
    outcome.higherIntegrity = GetParam().higherIntegrity;
    ActionStep step;
    step.type = 0;
    EXPECT_EQ(GetParam().expected, CauseOf(outcome));
    const std::string words = OutcomeInWords(outcome, step);
    const bool named =
        GetParam().higherIntegrity || GetParam().expected == FailureCause::HigherIntegrity;
    EXPECT_EQ(named, words.find("higher integrity level than Snap") != std::string::npos) << words;
    if (GetParam().expected == FailureCause::HigherIntegrity) {
        EXPECT_EQ("The imaging application runs as administrator and Snap does not, so Windows "
                  "drops Snap's clicks. Start both the same way.",
                  NoticeText(CauseOf(outcome), 0, step, outcome));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegrityCauses,
    ::testing::Values(
        // The system's answer to a post across integrity levels.
        IntegrityCase{"AccessDenied", StepResult::PostRefused, ERROR_ACCESS_DENIED, false,
                      FailureCause::HigherIntegrity},
        IntegrityCase{"RefusedAndTheTokenSaysSo", StepResult::PostRefused, ERROR_INVALID_PARAMETER,
                      true, FailureCause::HigherIntegrity},
        IntegrityCase{"RefusedForAnotherReason", StepResult::PostRefused, ERROR_NOT_ENOUGH_QUOTA,
                      false, FailureCause::PostRefused},
        // A post the system took is not a failure, but the log says what it knows.
        IntegrityCase{"TakenThoughTheTokenIsHigher", StepResult::Performed, 0, true,
                      FailureCause::None}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
