#include "dialoglayer/Dialog.h"
#include "dialoglayer/MessageTable.h"
#include "support/DialogTemplate.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace {

enum : WORD { kCheckId = 100, kNumberId = 101, kTextId = 102, kActionId = 103 };
enum : UINT { kStepMessage = WM_APP + 1, kThrowMessage = WM_APP + 2 };

// A dialog whose scenario is a list of steps, each run by one posted message,
// so every step runs inside the dialog's own modal loop, as a user's input would.
class CScriptedDialog : public CDialog {
public:
    using Step = std::function<void(CScriptedDialog&)>;

    CScriptedDialog(DialogTemplate& layout, std::vector<Step> steps)
        : CDialog(layout.Get(), nullptr), m_steps(std::move(steps)) {}

    void NextStep() { PostMessageA(m_hWnd, kStepMessage, 0, 0); }
    HWND Control(int id) const { return GetDlgItem(m_hWnd, id); }

    int m_switch = 1;
    int m_number = 42;
    std::string m_text = "hello";
    int m_actionClicks = 0;
    int m_menuCommands = 0;
    int m_okCalls = 0;
    size_t m_stepsRun = 0;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        NextStep();
        return TRUE;
    }
    void OnOK() override {
        ++m_okCalls;
        CDialog::OnOK();
    }
    void DoDataExchange(CDataExchange& dx) override {
        ExchangeCheck(dx, kCheckId, m_switch);
        ExchangeInt(dx, kNumberId, m_number);
        ExchangeText(dx, kTextId, m_text);
    }
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static const MessageEntry<CScriptedDialog> kMessageTable[];

    LRESULT OnStep(WPARAM, LPARAM) {
        if (m_stepsRun < m_steps.size())
            m_steps[m_stepsRun++](*this);
        return 0;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    void OnActionClicked() { ++m_actionClicks; }
    void OnMenuCommand() { ++m_menuCommands; }

    std::vector<Step> m_steps;
};

const MessageEntry<CScriptedDialog> CScriptedDialog::kMessageTable[] = {
    OnMessage(kStepMessage, &CScriptedDialog::OnStep),
    OnMessage(kThrowMessage, &CScriptedDialog::OnThrow),
    OnControl(BN_CLICKED, kActionId, &CScriptedDialog::OnActionClicked),
    OnCommand(40001, &CScriptedDialog::OnMenuCommand),
};

bool CScriptedDialog::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return DispatchMessageTable(this, kMessageTable, message, wParam, lParam, result);
}

DialogTemplate TestLayout() {
    DialogTemplate layout("Scripted", 200, 100);
    layout.Add(DialogTemplate::kButton, kCheckId, "Switch", BS_AUTOCHECKBOX | WS_TABSTOP, 5, 5, 80, 10)
        .Add(DialogTemplate::kEdit, kNumberId, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 20, 80, 12)
        .Add(DialogTemplate::kEdit, kTextId, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 35, 80, 12)
        .Add(DialogTemplate::kButton, kActionId, "Action", BS_PUSHBUTTON | WS_TABSTOP, 5, 50, 50, 14)
        .Add(DialogTemplate::kButton, IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 80, 50, 14)
        .Add(DialogTemplate::kButton, IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 145, 80, 50, 14);
    return layout;
}

std::string TextOf(HWND window) { return WindowText(window); }

void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

TEST(DialogDataExchange, LoadsTheControlsAtInitialisation) {
    DialogTemplate layout = TestLayout();
    std::string shownNumber, shownText;
    UINT shownCheck = 0;
    CScriptedDialog dialog(layout, {[&](CScriptedDialog& d) {
        shownCheck = IsDlgButtonChecked(d.GetSafeHwnd(), kCheckId);
        shownNumber = TextOf(d.Control(kNumberId));
        shownText = TextOf(d.Control(kTextId));
        d.EndDialog(IDCANCEL);
    }});
    dialog.m_number = -17;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), shownCheck);
    EXPECT_EQ("-17", shownNumber);
    EXPECT_EQ("hello", shownText);
}

TEST(DialogDataExchange, OkStoresTheControlsAndEndsTheDialog) {
    DialogTemplate layout = TestLayout();
    CScriptedDialog dialog(layout, {[](CScriptedDialog& d) {
        Click(d.Control(kCheckId)); // unchecks
        SetWindowTextA(d.Control(kNumberId), " -2147483648");
        SetWindowTextA(d.Control(kTextId), "C:\\Program Files\\Viewer.exe");
        Click(d.Control(IDOK));
    }});
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(0, dialog.m_switch);
    EXPECT_EQ(INT_MIN, dialog.m_number);
    EXPECT_EQ("C:\\Program Files\\Viewer.exe", dialog.m_text);
}

class DialogRefusesToStore : public ::testing::TestWithParam<const char*> {};

TEST_P(DialogRefusesToStore, WhenANumberBoxDoesNotHoldANumber) {
    DialogTemplate layout = TestLayout();
    bool openAfterRefusal = false;
    HWND focusAfterRefusal = nullptr;
    CScriptedDialog dialog(layout, {
        [](CScriptedDialog& d) {
            SetWindowTextA(d.Control(kNumberId), GetParam());
            Click(d.Control(IDOK));
            d.NextStep();
        },
        [&](CScriptedDialog& d) {
            openAfterRefusal = IsWindow(d.GetSafeHwnd()) != FALSE;
            focusAfterRefusal = GetFocus();
            SetWindowTextA(d.Control(kNumberId), "7");
            Click(d.Control(IDOK));
        },
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(2, dialog.m_okCalls);
    EXPECT_EQ(7, dialog.m_number);
    EXPECT_NE(nullptr, focusAfterRefusal);
}

INSTANTIATE_TEST_SUITE_P(Texts, DialogRefusesToStore,
                         ::testing::Values("", "abc", "12abc", "2147483648", "-2147483649", "1.5"));

TEST(DialogMessageTable, RoutesControlNotificationsAndCommands) {
    DialogTemplate layout = TestLayout();
    CScriptedDialog dialog(layout, {[](CScriptedDialog& d) {
        Click(d.Control(kActionId));
        Click(d.Control(kActionId));
        SendMessageA(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(40001, 0), 0); // a menu entry
        SendMessageA(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(40001, 1), 0); // an accelerator
        // Another notification of the same control is not a click.
        SendMessageA(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(kActionId, BN_SETFOCUS),
                     reinterpret_cast<LPARAM>(d.Control(kActionId)));
        d.EndDialog(IDCANCEL);
    }});
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(2, dialog.m_actionClicks);
    EXPECT_EQ(2, dialog.m_menuCommands);
}

TEST(DialogMessageTable, CancelEndsWithoutStoring) {
    DialogTemplate layout = TestLayout();
    CScriptedDialog dialog(layout, {[](CScriptedDialog& d) {
        SetWindowTextA(d.Control(kNumberId), "99");
        Click(d.Control(IDCANCEL));
    }});
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(42, dialog.m_number);
}

TEST(DialogMessageTable, AThrowingHandlerDoesNotEscapeTheDialogProcedure) {
    DialogTemplate layout = TestLayout();
    CScriptedDialog dialog(layout, {
        [](CScriptedDialog& d) {
            SendMessageA(d.GetSafeHwnd(), kThrowMessage, 0, 0);
            d.NextStep();
        },
        [](CScriptedDialog& d) { d.EndDialog(IDOK); },
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(2u, dialog.m_stepsRun);
}

TEST(Dialog, AMissingTemplateReportsFailure) {
    class CMissing : public CDialog {
    public:
        CMissing() : CDialog(4711u, nullptr) {}
    } dialog;
    EXPECT_EQ(-1, dialog.DoModal());
}

} // namespace
