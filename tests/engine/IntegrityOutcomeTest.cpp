// Whether a step's outcome tells that the window belongs to a program of
// higher integrity, whose windows the system keeps Snap's posts away from.
//
// Wine runs every program at one level and delivers every post, so the
// refusal a program of medium integrity meets on Windows is played here by
// replacing this executable's import of PostMessageA.
#include "engine/ActionExecution.h"
#include "settings/SettingsFile.h"
#include "support/EventLogs.h"
#include "support/WindowTree.h"
#include "targeting/TargetRecords.h"
#include "targeting/WindowOwner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Points this executable's import of `function` from `module` at a
// replacement for the life of the object.
class ImportPatch {
public:
    ImportPatch(const char* module, const char* function, void* replacement) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* descriptor =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             descriptor->Name && !m_slot; ++descriptor) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), module) != 0)
                continue;
            const auto* name =
                reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
            for (; name->u1.AddressOfData; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                    continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    m_slot = reinterpret_cast<void**>(&slot->u1.Function);
                    break;
                }
            }
        }
        if (m_slot)
            m_original = Exchange(replacement);
    }
    ~ImportPatch() {
        if (m_slot)
            Exchange(m_original);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Applied() const { return m_slot != nullptr; }
    void* Original() const { return m_original; }

private:
    void* Exchange(void* value) {
        DWORD protection = 0;
        VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &protection);
        void* previous = *m_slot;
        *m_slot = value;
        VirtualProtect(m_slot, sizeof *m_slot, protection, &protection);
        return previous;
    }

    void** m_slot = nullptr;
    void* m_original = nullptr;
};

using PostMessageFunction = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using OpenProcessFunction = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);

// What the replacements saw, in order, and the error a post is refused with
// (0: the post goes through).
std::vector<std::string> g_calls;
DWORD g_postError = 0;
HWND g_postAccepted = nullptr; // when set, the one window a refusal spares
PostMessageFunction g_realPostMessage = nullptr;
OpenProcessFunction g_realOpenProcess = nullptr;

BOOL WINAPI RefusingPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_calls.push_back("PostMessageA");
    if (g_postError && window != g_postAccepted) {
        SetLastError(g_postError);
        return FALSE;
    }
    return g_realPostMessage(window, message, wParam, lParam);
}

HANDLE WINAPI RecordedOpenProcess(DWORD access, BOOL inherit, DWORD processId) {
    g_calls.push_back("OpenProcess");
    return g_realOpenProcess(access, inherit, processId);
}

class IntegrityOutcome : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(SettingsFilePath().c_str());
        g_calls.clear();
        g_postError = 0;
        g_postAccepted = nullptr;
        ReceivedMessages().clear();
    }
    void TearDown() override {
        DeleteFileA(SettingsFilePath().c_str());
        DeliverPostedMessages();
    }

    // Posts go through RefusingPostMessage and process openings through
    // RecordedOpenProcess, until the end of the test.
    void ReplaceImports() {
        m_post = std::make_unique<ImportPatch>("user32.dll", "PostMessageA",
                                               reinterpret_cast<void*>(RefusingPostMessage));
        m_open = std::make_unique<ImportPatch>("kernel32.dll", "OpenProcess",
                                               reinterpret_cast<void*>(RecordedOpenProcess));
        ASSERT_TRUE(m_post->Applied());
        ASSERT_TRUE(m_open->Applied());
        g_realPostMessage = reinterpret_cast<PostMessageFunction>(m_post->Original());
        g_realOpenProcess = reinterpret_cast<OpenProcessFunction>(m_open->Original());
    }

    // The step aims at the control C of the tree below.
    static ActionStep Step(ActionType type, const char* description = "800;600;SnapTestTop\t") {
        ActionStep step;
        step.type = static_cast<int>(type);
        step.message = WM_USER + 0x100;
        step.windowDescription = description;
        step.targetPath = "2;140;62";
        return step;
    }

    WindowTree tree{800, 600, "Imaging Station"};
    HWND first = tree.Add(tree.Top(), 0, 0, 20, 20);
    HWND p = tree.Add(tree.Top(), 50, 40, 400, 300);
    HWND c = tree.Add(p, 50, 10, 80, 24, true, 0x1234);
    std::unique_ptr<ImportPatch> m_post;
    std::unique_ptr<ImportPatch> m_open;
};

// Every kind of step that posts, refused as Windows refuses a post to a
// program of higher integrity: the outcome says so.
TEST_F(IntegrityOutcome, APostRefusedWithAccessDeniedIsToldAsHigherIntegrity) {
    ASSERT_NO_FATAL_FAILURE(ReplaceImports());
    g_postError = ERROR_ACCESS_DENIED;
    for (ActionType type :
         {ActionType::ButtonClick, ActionType::ButtonDoubleClick, ActionType::SendCommand,
          ActionType::SendCustomMessage, ActionType::Joystick1Down, ActionType::Joystick2Up,
          ActionType::MouseClick}) {
        const StepOutcome outcome = PerformAction(Step(type), 0);
        EXPECT_EQ(StepResult::PostRefused, outcome.result) << static_cast<int>(type);
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), outcome.error);
        EXPECT_TRUE(outcome.higherIntegrity) << static_cast<int>(type);
    }
}

TEST_F(IntegrityOutcome, APostRefusedForAnotherReasonIsNotHigherIntegrity) {
    // The system's own refusal: a message with a pointer can only be sent.
    ActionStep step = Step(ActionType::SendCustomMessage);
    step.message = WM_SETTEXT;
    StepOutcome outcome = PerformAction(step, 0);
    EXPECT_EQ(StepResult::PostRefused, outcome.result);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY), outcome.error);
    EXPECT_FALSE(outcome.higherIntegrity);

    ASSERT_NO_FATAL_FAILURE(ReplaceImports());
    g_postError = ERROR_NOT_ENOUGH_QUOTA; // a full queue
    outcome = PerformAction(Step(ActionType::ButtonClick), 0);
    EXPECT_EQ(StepResult::PostRefused, outcome.result);
    EXPECT_FALSE(outcome.higherIntegrity);
}

TEST_F(IntegrityOutcome, AWindowAtSnapsOwnLevelIsWithinReach) {
    StepOutcome outcome = PerformAction(Step(ActionType::ButtonClick), 0);
    EXPECT_EQ(StepResult::Performed, outcome.result);
    EXPECT_FALSE(outcome.higherIntegrity);

    // Another program, started the way Snap was.
    TempDir folder;
    const std::string title = UniqueName("Level Station ");
    StandInImager imager(folder.Path(), title);
    ASSERT_NE(nullptr, imager.Window());
    ActionStep step =
        Step(ActionType::SendCustomMessage, ("800;600;KelvraImagerStandIn\t" + title).c_str());
    step.targetPath = "80;35";
    outcome = PerformAction(step, 0);
    EXPECT_EQ(StepResult::Performed, outcome.result);
    EXPECT_FALSE(outcome.higherIntegrity);
    EXPECT_EQ(1u, imager.WaitForMessages(1).size());
}

TEST_F(IntegrityOutcome, NothingIsAskedOfTheSystemBeforeThePost) {
    ASSERT_NO_FATAL_FAILURE(ReplaceImports());
    const StepOutcome outcome = PerformAction(Step(ActionType::SendCustomMessage), 0);
    EXPECT_EQ(StepResult::Performed, outcome.result);
    // The owner is asked (after the post), and the post came first.
    const std::vector<std::string> expected = {"PostMessageA", "OpenProcess"};
    EXPECT_EQ(expected, g_calls);
}

TEST_F(IntegrityOutcome, ABroadcastIsNotChecked) {
    TempDir folder; // at least one other program's window to post to
    StandInImager imager(folder.Path(), UniqueName("Level Station "));
    ASSERT_NE(nullptr, imager.Window());
    ASSERT_NO_FATAL_FAILURE(ReplaceImports());
    g_postError = ERROR_ACCESS_DENIED; // and nothing reaches all the desktop's windows
    const StepOutcome outcome =
        PerformAction(Step(ActionType::SendCommand, kBroadcastDescription), 0);
    EXPECT_EQ(StepResult::PostRefused, outcome.result);
    EXPECT_FALSE(outcome.higherIntegrity);
    // One post to each window, and no program asked about its level.
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(std::vector<std::string>(g_calls.size(), "PostMessageA"), g_calls);
    g_postError = 0; // the stand-in's close must get through
}

TEST_F(IntegrityOutcome, ABroadcastGoesOnPastTheWindowsThatRefuseIt) {
    // Windows that closed after the broadcast began refuse it one by one:
    // played by another program's windows refusing, while the stand-in's
    // main window takes it.
    TempDir folder;
    StandInImager refusing(folder.Path(), UniqueName("Refusing Station "));
    TempDir otherFolder;
    StandInImager taking(otherFolder.Path(), UniqueName("Taking Station "));
    ASSERT_NE(nullptr, refusing.Window());
    ASSERT_NE(nullptr, taking.Window());
    ASSERT_NO_FATAL_FAILURE(ReplaceImports());
    g_postError = ERROR_INVALID_WINDOW_HANDLE;
    g_postAccepted = taking.Window();
    ActionStep step = Step(ActionType::SendCommand, kBroadcastDescription);
    step.wParam = 0x4321;
    const StepOutcome outcome = PerformAction(step, 0);
    g_postError = 0; // the stand-ins' close must get through
    EXPECT_EQ(StepResult::Performed, outcome.result);
    const std::vector<ImagerEvent> received = taking.WaitForMessages(1);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(static_cast<unsigned>(WM_COMMAND), received[0].Message());
    EXPECT_EQ(0x4321u, received[0].WParam());
}

} // namespace
