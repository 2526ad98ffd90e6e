#pragma once
// One step of the sequence: its kind and the keys that make it up. This is the
// one place that knows those keys and their defaults.
#include "targeting/TargetRecords.h"

#include <string>

// Stored under the step's "Type" key: the "Function" radio button's id - 1010.
enum class ActionType : int {
    None = -1,
    ButtonClick = 0,
    ButtonDoubleClick = 1,
    SendCommand = 2,
    SendCustomMessage = 3,
    Joystick1Down = 4,
    Joystick1Up = 5,
    Joystick2Down = 6,
    Joystick2Up = 7,
    MouseClick = 8,
    ExternalLauncher = 9,
};

constexpr int kStepCount = 10;
constexpr int kLastStepIndex = kStepCount - 1;

// Defaults of a step's keys when they are absent.
constexpr int kDefaultMessage = 1024; // WM_USER
constexpr int kDefaultDelayMs = 350;

// A step without a stored type: step 0 always has one (a button click), the
// others end the sequence.
inline int DefaultStepType(int stepIndex) {
    return stepIndex == 0 ? static_cast<int>(ActionType::ButtonClick)
                          : static_cast<int>(ActionType::None);
}

inline bool IsKnownStepType(int type) {
    return type >= static_cast<int>(ActionType::None) &&
           type <= static_cast<int>(ActionType::ExternalLauncher);
}

// One step as the settings file holds it. Steps are read when they are used
// (a press, an open of the dialog), so an edit of the file counts at once.
struct ActionStep {
    int type = static_cast<int>(ActionType::None);
    int message = kDefaultMessage; // "Send Message"; WM_USER when not stored
    bool messageStored = false;    // the editor shows 0 for a message not stored
    int wParam = 0;                // "Send WM_COMMAND" and "Send Message"
    int lParam = 0;
    std::string program;    // "External launcher": the program's path
    std::string parameters; // and its parameters
    // The stored texts of its target (decoded): the top-level window, and
    // the way from it to the control.
    std::string windowDescription;
    std::string targetPath;
    // What the control was when it was chosen; unknown in files written
    // before it was recorded, whose steps follow their path alone.
    ControlIdentity control;
};

enum class StepKeys {
    All,   // every key, as the action editor shows them
    InUse, // the type, then only what that type uses (nothing after None)
};
// Step `index` (0 to 9) with the defaults of absent keys; keys not read keep
// their defaults.
ActionStep ReadActionStep(int index, StepKeys keys = StepKeys::All);
// Writes every key of step `index`, in the order the file has always had them.
void WriteActionStep(int index, const ActionStep& step);
// The type stored for step `index`, -1 (None) when its key is absent: whether
// a step follows, for a run looking ahead.
int ReadStoredStepType(int index);

// The caption of the step type's "Function" radio button ("Button click"), or
// "unknown type" for a value outside the range.
const char* StepTypeName(int type);
