#include "ActionStep.h"

#include "settings/SettingsFile.h"

namespace {

int ReadStepInt(const char* baseName, int index, int defaultValue) {
    return ReadSettingInt(kSectionAction, StepKey(baseName, index).c_str(), defaultValue);
}

std::string ReadStepString(const char* baseName, int index) {
    return ReadSettingString(kSectionAction, StepKey(baseName, index).c_str(), "");
}

} // namespace

ActionStep ReadActionStep(int index) {
    ActionStep step;
    step.type = ReadStepInt("Type", index, DefaultStepType(index));
    step.message = ReadStepInt("Message", index, kDefaultMessage);
    // Only a value equal to the default needs a second look.
    step.messageStored =
        step.message != kDefaultMessage || ReadStepInt("Message", index, 0) == kDefaultMessage;
    step.wParam = ReadStepInt("WParam", index, 0);
    step.lParam = ReadStepInt("LParam", index, 0);
    step.program = ReadStepString("ExtApp", index);
    step.parameters = ReadStepString("ExtAppParam", index);
    step.windowDescription = ReadStoredText(kSectionParam, StepKey("Base", index).c_str());
    step.targetPath = ReadStoredText(kSectionParam, StepKey("Destination", index).c_str());
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
}

int ReadStoredStepType(int index) {
    return ReadStepInt("Type", index, static_cast<int>(ActionType::None));
}
