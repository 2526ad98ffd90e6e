#pragma once
// A run of the action sequence: started by a press, advanced by presses (step
// by step) or by the step timer (timed), ended at the first step of type None
// or after step 9, then the optional return to live. The run knows its rules;
// its host owns the timer, the window and the actions.
#include "ActionStep.h"
#include "StepOutcome.h"

#include <windows.h>

// What a run asks of the window that hosts it.
class IRunHost {
public:
    // The step timer of a timed run: one tick per further step.
    virtual void ArmStepTimer(UINT intervalMs) = 0;
    virtual void StopStepTimer() = 0;
    // Before every step, the button window's placement is saved.
    virtual void SavePlacement() = 0;
    // Performs the action of step `index`.
    virtual StepOutcome PerformAction(int index, const ActionStep& step) = 0;
    // The pause before a return to live.
    virtual void Wait(DWORD milliseconds) = 0;
    // What a performed step came to, once its feedback is given.
    virtual void StepDone(int /*index*/, const ActionStep& /*step*/,
                          const StepOutcome& /*outcome*/) {}

protected:
    ~IRunHost() = default;
};

class CSequenceRun {
public:
    explicit CSequenceRun(IRunHost& host) : m_host(host) {}

    // A press while idle starts a run; during a run it advances a
    // step-by-step run and changes nothing in a timed one.
    void Press();
    void StartRun();
    void AdvanceRun();
    // A tick of the step timer.
    void StepTick();
    // Performs step `index`; `beep` allows the feedback beeps. A step of type
    // None ends the run (with the return to live when "BTLive" is set).
    void PerformStep(bool beep, int index);
    // Waits "Delay", then performs step 0 again without beep, outside any run.
    void ReturnToLive();
    // No run: the state of a window that has just started.
    void Reset();

    bool Running() const { return m_sequenceRunning; }
    int StepIndex() const { return m_stepIndex; }

private:
    // The run is over: state reset and the step timer stopped; then the
    // return to live when it is wanted.
    void End();

    IRunHost& m_host;
    int m_stepIndex = 0; // the last step performed in this run
    bool m_sequenceRunning = false;
    // The mode the run started in: it keeps it to its end, whatever
    // "StepByStep" becomes meanwhile, so a run can always finish.
    bool m_stepByStep = false;
    // Step 0 may itself end the sequence and ask for a return to live: that
    // one is not made, or the program would loop for ever.
    bool m_returningToLive = false;
};

// "Delay" in milliseconds as the interval of the step timer: a negative value
// counts as 0. A timer holds nothing, so any length is kept.
int ReadStepIntervalMs();
// "Delay" as the wait before a return to live, which holds the user-interface
// thread: bounded (30 s) so that the program never stops answering for long.
int ReadDelayMs();
