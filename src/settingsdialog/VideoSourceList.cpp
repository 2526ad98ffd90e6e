#include "VideoSourceList.h"

#include "common/Handles.h"
#include "settings/SettingsFile.h"

#include <dshow.h>

#include <cstring>
#include <vector>

namespace {

// Only the camera's own devices are offered; the prefixes begin their names
// as the vendor's driver reports them, in this exact case.
const char* const kDevicePrefixes[] = {"USB 28", "Kelvra"};

// The stored camera when it is not connected: listed with this mark, and
// told from a device of that name by its item data.
constexpr const char* kNotConnectedMark = " (not connected)";
constexpr LPARAM kNotConnectedItem = 1;

bool IsCameraDevice(const std::string& name) {
    for (const char* prefix : kDevicePrefixes)
        if (name.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return false;
}

// The list and the settings file hold names in the ANSI code page.
std::string ToAnsi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), size, nullptr, nullptr);
    return buffer.data();
}

void AddCameraDevices(HWND combo, ICreateDevEnum* devices) {
    ComPtr<IEnumMoniker> monikers;
    // S_FALSE: the category has no device, and no enumerator comes with it.
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.receive(), 0) !=
        S_OK)
        return;
    monikers->Reset();
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.receive(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> properties;
        // A device whose properties cannot be opened is left out, not fatal.
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                          properties.receiveVoid())))
            continue;
        VARIANT name;
        VariantInit(&name);
        name.vt = VT_BSTR;
        // A failed read may leave the variant alone: VariantClear must not
        // free a stray pointer then.
        name.bstrVal = nullptr;
        if (SUCCEEDED(properties->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR &&
            name.bstrVal) {
            const std::string text = ToAnsi(name.bstrVal);
            if (IsCameraDevice(text))
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        properties.reset();
        VariantClear(&name);
        moniker.reset();
    }
}

} // namespace

void FillVideoSourceList(HWND combo) {
    ComPtr<ICreateDevEnum> devices;
    // Without the system's device enumerator the list stays empty.
    if (SUCCEEDED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICreateDevEnum, devices.receiveVoid())))
        AddCameraDevices(combo, devices.get());

    // The stored name selects the first device whose name begins with it, in
    // any case; with no name stored, the first device is taken.
    const std::string stored = ReadSettingString(kSectionVideo, "Pilote", "");
    if (stored.empty()) {
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        return;
    }
    if (SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(stored.c_str())) != CB_ERR)
        return;
    // The chosen camera is unplugged: it stays the choice, so that OK while
    // it is away neither forgets it nor swaps in another camera.
    const std::string marked = stored + kNotConnectedMark;
    const LRESULT item =
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(marked.c_str()));
    if (item < 0)
        return;
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), kNotConnectedItem);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

std::string SelectedVideoSource(HWND combo) {
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return std::string();
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == CB_ERR)
        return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                 reinterpret_cast<LPARAM>(text.data()));
    std::string name = text.data();
    if (SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0) ==
            kNotConnectedItem &&
        name.size() >= std::strlen(kNotConnectedMark))
        name.resize(name.size() - std::strlen(kNotConnectedMark));
    return name;
}
