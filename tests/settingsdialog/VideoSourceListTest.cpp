// The "Video source:" list filled from Wine's real system device enumerator.
//
// Capture devices are faked the way that enumerator finds them: a key under
// HKCR\CLSID\{VideoInputDeviceCategory}\Instance with a "FriendlyName" string;
// it needs nothing else. Wine 8 lists these keys in the order of their names,
// without regard to case, so each device's key name ends with its place in
// the enumeration and the tables below give devices in enumeration order.
//
// That key is shared by every process of the Wine prefix, and CTest may run
// test processes side by side. Each test holds CaptureDevicesLock while its
// devices exist, so the lists can be checked exactly; any other test that
// registers capture devices must hold it too.
#include "common/Handles.h"
#include "settings/SettingsFile.h"
#include "settingsdialog/VideoSourceList.h"
#include "support/CaptureDevices.h"
#include "support/TestFiles.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kInstanceKey = kVideoCaptureInstanceKey;
constexpr const char* kKeyPrefix = "SnapVideoSourceTest_";

std::vector<std::string> InstanceKeyNames() {
    std::vector<std::string> names;
    UniqueRegKey instance;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kInstanceKey, 0, KEY_READ, instance.receive()) !=
        ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(instance.get(), index, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

void RemoveDeviceKey(const std::string& keyName) {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kInstanceKey) + "\\" + keyName).c_str());
}

// Fake capture devices, removed again when this goes.
class FakeCaptureDevices {
public:
    FakeCaptureDevices() : m_keyPrefix(UniqueName(kKeyPrefix) + "_") {}
    ~FakeCaptureDevices() {
        for (const std::string& key : m_keys)
            RemoveDeviceKey(key);
    }
    FakeCaptureDevices(const FakeCaptureDevices&) = delete;
    FakeCaptureDevices& operator=(const FakeCaptureDevices&) = delete;

    // A device enumerated after those added before; friendlyName nullptr
    // gives one without a name.
    bool Add(const wchar_t* friendlyName) {
        char index[8];
        std::snprintf(index, sizeof index, "%03u", static_cast<unsigned>(m_keys.size()));
        const std::string key = m_keyPrefix + index;
        UniqueRegKey device;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, (std::string(kInstanceKey) + "\\" + key).c_str(), 0,
                            nullptr, 0, KEY_WRITE, nullptr, device.receive(),
                            nullptr) != ERROR_SUCCESS)
            return false;
        m_keys.push_back(key);
        if (!friendlyName)
            return true;
        const DWORD bytes = static_cast<DWORD>((wcslen(friendlyName) + 1) * sizeof(wchar_t));
        return RegSetValueExW(device.get(), L"FriendlyName", 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(friendlyName), bytes) == ERROR_SUCCESS;
    }

private:
    std::string m_keyPrefix;
    std::vector<std::string> m_keys;
};

class VideoSourceList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Acquire()) << "the capture devices stayed taken";
        // Devices of a test process that was killed on the way.
        for (const std::string& key : InstanceKeyNames())
            if (key.compare(0, std::strlen(kKeyPrefix), kKeyPrefix) == 0)
                RemoveDeviceKey(key);
        ASSERT_EQ(std::vector<std::string>(), InstanceKeyNames())
            << "capture devices of someone else are registered";

        DeleteFileA(SettingsFilePath().c_str());
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_comStarted = true;

        const HINSTANCE instance = GetModuleHandleA(nullptr);
        m_parent = CreateWindowExA(0, "STATIC", "Video source test", WS_POPUP, 0, 0, 320, 240,
                                   nullptr, nullptr, instance, nullptr);
        ASSERT_NE(nullptr, m_parent);
        m_combo = CreateWindowExA(0, "COMBOBOX", "",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 10, 10,
                                  250, 200, m_parent, nullptr, instance, nullptr);
        ASSERT_NE(nullptr, m_combo);
    }

    void TearDown() override {
        if (m_parent)
            DestroyWindow(m_parent);
        if (m_comStarted)
            CoUninitialize();
        DeleteFileA(SettingsFilePath().c_str());
    }

    void AddDevices(const std::vector<const wchar_t*>& names) {
        for (const wchar_t* name : names)
            ASSERT_TRUE(m_devices.Add(name));
    }

    std::vector<std::string> Items() const {
        std::vector<std::string> items;
        const LRESULT count = SendMessageA(m_combo, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            const LRESULT length = SendMessageA(m_combo, CB_GETLBTEXTLEN, index, 0);
            std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
            SendMessageA(m_combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
            items.push_back(text.data());
        }
        return items;
    }

    LRESULT Selection() const { return SendMessageA(m_combo, CB_GETCURSEL, 0, 0); }

    HWND m_combo = nullptr;

private:
    // Declared first, so it is released after the devices are gone.
    CaptureDevicesLock m_lock;
    FakeCaptureDevices m_devices;
    bool m_comStarted = false;
    HWND m_parent = nullptr;
};

// Which devices are listed, and that the first of them is selected when no
// name is stored.
struct ListCase {
    const char* title;
    std::vector<const wchar_t*> devices; // in enumeration order
    std::vector<std::string> listed;
};
void PrintTo(const ListCase& listCase, std::ostream* out) { *out << listCase.title; }

class VideoSourceListing : public VideoSourceList, public ::testing::WithParamInterface<ListCase> {};

TEST_P(VideoSourceListing, ListsTheCameraDevicesInEnumerationOrder) {
    AddDevices(GetParam().devices);
    FillVideoSourceList(m_combo);
    EXPECT_EQ(GetParam().listed, Items());
    if (GetParam().listed.empty()) {
        EXPECT_EQ(CB_ERR, Selection());
        EXPECT_EQ("", SelectedVideoSource(m_combo));
    } else {
        EXPECT_EQ(0, Selection());
        EXPECT_EQ(GetParam().listed.front(), SelectedVideoSource(m_combo));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, VideoSourceListing,
    ::testing::Values(
        ListCase{"NoDevice", {}, {}},
        ListCase{"OnlyOtherDevices", {L"Integrated Webcam", L"USB 2.0 Camera"}, {}},
        ListCase{"BothPrefixesNotSorted",
                 {L"USB 28 Zeta", L"Other camera", L"Kelvra Alpha", L"USB 2.0 Camera", L"USB 28"},
                 {"USB 28 Zeta", "Kelvra Alpha", "USB 28"}},
        ListCase{"PrefixesMatchInTheirCaseOnly",
                 {L"usb 28 cam", L"KELVRA cam", L"kelvra cam", L"Usb 28 cam", L"Kelvra cam"},
                 {"Kelvra cam"}},
        ListCase{"PrefixesMatchAtTheStartOnly",
                 {L"My USB 28", L" USB 28 cam", L"The Kelvra", L"USB 28 cam"},
                 {"USB 28 cam"}},
        ListCase{"ASharedNameIsListedTwice",
                 {L"USB 28 cam", L"Kelvra X", L"USB 28 cam"},
                 {"USB 28 cam", "Kelvra X", "USB 28 cam"}},
        ListCase{"DevicesWithoutANameAreSkipped",
                 {nullptr, L"Kelvra cam", nullptr, L"USB 28 cam"},
                 {"Kelvra cam", "USB 28 cam"}}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.title); });

// Which item the stored "Pilote" selects.
struct SelectionCase {
    const char* title;
    std::vector<const wchar_t*> devices; // in enumeration order, all listed
    const char* stored;                  // nullptr: none stored
    LRESULT selected;
};
void PrintTo(const SelectionCase& selectionCase, std::ostream* out) { *out << selectionCase.title; }

class VideoSourceSelection : public VideoSourceList,
                             public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(VideoSourceSelection, SelectsTheStoredDeviceOrTheFirst) {
    AddDevices(GetParam().devices);
    if (GetParam().stored)
        WriteSettingString(kSectionVideo, "Pilote", GetParam().stored);
    FillVideoSourceList(m_combo);
    ASSERT_EQ(GetParam().devices.size(), Items().size());
    EXPECT_EQ(GetParam().selected, Selection());
    EXPECT_EQ(Items()[static_cast<size_t>(GetParam().selected)], SelectedVideoSource(m_combo));
}

INSTANTIATE_TEST_SUITE_P(
    StoredNames, VideoSourceSelection,
    ::testing::Values(
        SelectionCase{"TheWholeName", {L"USB 28 A", L"USB 28 B"}, "USB 28 B", 1},
        SelectionCase{"AnotherCase", {L"USB 28 Alpha", L"Kelvra Beta", L"Kelvra Gamma"},
                      "kelvra GAMMA", 2},
        SelectionCase{"TheBeginningOfTwoNamesTakesTheFirstEnumerated",
                      {L"Kelvra One", L"USB 28 Zeta", L"USB 28 Alpha"}, "usb 28", 1},
        SelectionCase{"TheBeginningOfTheFirstAndALaterName",
                      {L"Kelvra B", L"USB 28 Alpha", L"Kelvra A"}, "kelvra", 0},
        SelectionCase{"EmptyName", {L"Kelvra B", L"USB 28 A"}, "", 0},
        SelectionCase{"NoName", {L"Kelvra B", L"USB 28 A"}, nullptr, 0}),
    [](const ::testing::TestParamInfo<SelectionCase>& info) {
        return std::string(info.param.title);
    });

// A stored camera that is not connected stays the choice: it is listed after
// the devices, marked, and selected, and the selection gives its name alone.
struct AbsentCase {
    const char* title;
    std::vector<const wchar_t*> devices; // in enumeration order
    const char* stored;
    std::vector<std::string> listed;
};
void PrintTo(const AbsentCase& absentCase, std::ostream* out) {
    *out << absentCase.title;
}

class AbsentVideoSource : public VideoSourceList,
                          public ::testing::WithParamInterface<AbsentCase> {};

TEST_P(AbsentVideoSource, IsListedAsNotConnectedAndStaysSelected) {
    AddDevices(GetParam().devices);
    WriteSettingString(kSectionVideo, "Pilote", GetParam().stored);
    FillVideoSourceList(m_combo);
    EXPECT_EQ(GetParam().listed, Items());
    EXPECT_EQ(static_cast<LRESULT>(GetParam().listed.size()) - 1, Selection());
    EXPECT_EQ(GetParam().stored, SelectedVideoSource(m_combo));
}

INSTANTIATE_TEST_SUITE_P(
    StoredNames, AbsentVideoSource,
    ::testing::Values(AbsentCase{"NoDevice", {}, "USB 28 cam", {"USB 28 cam (not connected)"}},
                      AbsentCase{
                          "OnlyOtherCameras",
                          {L"Kelvra Beta", L"USB 28 Alpha"},
                          "USB 28 Alpha Pro",
                          {"Kelvra Beta", "USB 28 Alpha", "USB 28 Alpha Pro (not connected)"}},
                      AbsentCase{"TheMiddleOfANameIsNoMatch",
                                 {L"USB 28 Alpha", L"Kelvra Beta"},
                                 "Beta",
                                 {"USB 28 Alpha", "Kelvra Beta", "Beta (not connected)"}},
                      AbsentCase{"ADeviceThatIsNotACamera",
                                 {L"Other Kelvra", L"USB 28 Alpha", L"Kelvra Beta"},
                                 "Other",
                                 {"USB 28 Alpha", "Kelvra Beta", "Other (not connected)"}}),
    [](const ::testing::TestParamInfo<AbsentCase>& info) { return std::string(info.param.title); });

TEST_F(VideoSourceList, ADeviceNamedLikeTheMarkKeepsItsWholeName) {
    // Only the item Snap marked loses the mark: a device may end that way.
    AddDevices({L"USB 28 Cam (not connected)"});
    FillVideoSourceList(m_combo);
    EXPECT_EQ("USB 28 Cam (not connected)", SelectedVideoSource(m_combo));
}

TEST_F(VideoSourceList, NamesComeInTheAnsiCodePage) {
    const wchar_t* name = L"Kelvra Cam\u00e9ra";
    AddDevices({name});
    FillVideoSourceList(m_combo);
    char ansi[64] = "";
    ASSERT_LT(0, WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr));
    EXPECT_EQ(std::vector<std::string>{ansi}, Items());
}

TEST_F(VideoSourceList, SelectedVideoSourceGivesTheSelectedText) {
    AddDevices({L"USB 28 First", L"Kelvra Second", L"USB 28 Third"});
    FillVideoSourceList(m_combo);
    EXPECT_EQ("USB 28 First", SelectedVideoSource(m_combo));
    SendMessageA(m_combo, CB_SETCURSEL, 2, 0);
    EXPECT_EQ("USB 28 Third", SelectedVideoSource(m_combo));
    SendMessageA(m_combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ("Kelvra Second", SelectedVideoSource(m_combo));
    SendMessageA(m_combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ("", SelectedVideoSource(m_combo));
}

} // namespace
