#pragma once
// One step checked against the windows open now and told in words: what
// "Snap.exe /check" says of it. Nothing is posted, clicked or launched.
#include "engine/ActionStep.h"

#include <string>

// The report, line by line, with the line ends a Windows text file has.
class CCheckReport {
public:
    void Line(const std::string& text = "") { m_text += text + "\r\n"; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// The text in double quotes.
std::string Quoted(const std::string& text);
// printf-style formatting into a text of any length.
std::string FormatText(const char* format, ...);

// The step's type as the "Function" group names it, with its code.
std::string StepTypeWithCode(int type);

// Tells step `index`: its stored record, whether its window is found and
// whose it is, the control its path leads to now, and what a press would
// post where, click or launch. Returns why the step does not resolve, in the
// log's words, or "" when it does.
std::string CheckStep(CCheckReport& report, const ActionStep& step, int index);
