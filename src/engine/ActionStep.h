#pragma once
// The kinds of step and the keys that make up one step of the sequence.

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

// "Delay" in milliseconds as the interval of the step timer: a negative value
// counts as 0. A timer holds nothing, so any length is kept.
int ReadStepIntervalMs();
// "Delay" as the wait before a return to live, which holds the user-interface
// thread: bounded (30 s) so that the program never stops answering for long.
int ReadDelayMs();
