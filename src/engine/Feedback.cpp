#include "Feedback.h"

#include "settings/SettingsFile.h"

MessageBeepFn g_messageBeep = MessageBeep;

void GiveFeedback(const StepOutcome& outcome, bool beepAllowed) {
    if (!beepAllowed || ReadSettingInt(kSectionParam, "NoBeep", 0) == 0)
        return;
    g_messageBeep(CountsAsDone(outcome) ? kStepDoneBeep : kStepFailedBeep);
}
