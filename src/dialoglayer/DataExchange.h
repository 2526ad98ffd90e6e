#pragma once
// Data exchange between a dialog's controls and values, in one routine per
// dialog (DoDataExchange) that runs in the load or the store direction.
#include <windows.h>

#include <string>

class CDataExchange {
public:
    CDataExchange(HWND dialog, bool save) : m_dialog(dialog), m_save(save) {}

    HWND Dialog() const { return m_dialog; }
    HWND Control(int id) const { return GetDlgItem(m_dialog, id); }
    bool Saving() const { return m_save; }

    // A store that cannot be done refuses it: the focus goes to the control at
    // fault and the dialog stays open.
    void Fail(int controlId);
    // A refusal the user is not told about: no focus change, no beep.
    void Refuse() { m_failed = true; }
    bool Failed() const { return m_failed; }

private:
    HWND m_dialog;
    bool m_save;
    bool m_failed = false;
};

// After a failed store the following exchanges of the same pass do nothing.

// Check box <-> switch (1 or 0; any non-zero value loads as checked).
void ExchangeCheck(CDataExchange& dx, int id, int& value);
// Edit box <-> signed decimal integer. A text that is not a number fails the store.
void ExchangeInt(CDataExchange& dx, int id, int& value);
// Edit box <-> text.
void ExchangeText(CDataExchange& dx, int id, std::string& value);

// The text of a window, whatever its length.
std::string WindowText(HWND window);
