#include "ActionStep.h"

#include "settings/SettingsFile.h"

namespace {

// The key of the control's identity, beside "Base" and "Destination".
constexpr const char* kControlKey = "Control";
// A stored text comes back whole up to this many characters.
constexpr size_t kStoredTextReadBack = 127;

int ReadStepInt(const char* baseName, int index, int defaultValue) {
    return ReadSettingInt(kSectionAction, StepKey(baseName, index).c_str(), defaultValue);
}

std::string ReadStepString(const char* baseName, int index) {
    return ReadSettingString(kSectionAction, StepKey(baseName, index).c_str(), "");
}

} // namespace

ActionStep ReadActionStep(int index, StepKeys keys) {
    ActionStep step;
    step.type = ReadStepInt("Type", index, DefaultStepType(index));
    // A step being performed reads what its type uses and nothing more: every
    // read is a visit to the file between the press and the delivery.
    const bool all = keys == StepKeys::All;
    if (!all && step.type == static_cast<int>(ActionType::None))
        return step;
    const bool message = step.type == static_cast<int>(ActionType::SendCustomMessage);
    const bool parameters = message || step.type == static_cast<int>(ActionType::SendCommand);
    const bool launch = step.type == static_cast<int>(ActionType::ExternalLauncher);
    step.windowDescription = ReadStoredText(kSectionParam, StepKey("Base", index).c_str());
    step.targetPath = ReadStoredText(kSectionParam, StepKey("Destination", index).c_str());
    // A launch goes to no control.
    if (all || !launch)
        step.control = ParseControlIdentity(
            ReadStoredText(kSectionParam, StepKey(kControlKey, index).c_str()));
    if (all || message) {
        step.message = ReadStepInt("Message", index, kDefaultMessage);
        // Only a value equal to the default needs a second look.
        step.messageStored = step.message != kDefaultMessage ||
                             (all && ReadStepInt("Message", index, 0) == kDefaultMessage);
    }
    if (all || parameters) {
        step.wParam = ReadStepInt("WParam", index, 0);
        step.lParam = ReadStepInt("LParam", index, 0);
    }
    if (all || launch) {
        step.program = ReadStepString("ExtApp", index);
        step.parameters = ReadStepString("ExtAppParam", index);
    }
    return step;
}

void WriteActionStep(int index, const ActionStep& step) {
    auto writeInt = [index](const char* baseName, int value) {
        WriteSettingInt(kSectionAction, StepKey(baseName, index).c_str(), value);
    };
    auto writeString = [index](const char* baseName, const std::string& value) {
        WriteSettingString(kSectionAction, StepKey(baseName, index).c_str(), value.c_str());
    };
    writeInt("Type", step.type);
    writeInt("Message", step.message);
    writeInt("WParam", step.wParam);
    writeInt("LParam", step.lParam);
    writeString("ExtApp", step.program);
    writeString("ExtAppParam", step.parameters);
    WriteStoredText(kSectionParam, StepKey("Base", index).c_str(), step.windowDescription);
    WriteStoredText(kSectionParam, StepKey("Destination", index).c_str(), step.targetPath);
    WriteStoredText(kSectionParam, StepKey(kControlKey, index).c_str(),
                    FormatControlIdentity(step.control, kStoredTextReadBack));
}

int ReadStoredStepType(int index) {
    return ReadStepInt("Type", index, static_cast<int>(ActionType::None));
}

const char* StepTypeName(int type) {
    static const char* const kNames[] = {
        "None",
        "Button click",
        "Button double click",
        "Send WM_COMMAND",
        "Send Message",
        "Joystick button 1 down",
        "Joystick button 1 up",
        "Joystick button 2 down",
        "Joystick button 2 up",
        "Mouse click",
        "External launcher",
    };
    return IsKnownStepType(type) ? kNames[type - static_cast<int>(ActionType::None)]
                                 : "unknown type";
}
