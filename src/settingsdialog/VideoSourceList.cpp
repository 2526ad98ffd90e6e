#include "VideoSourceList.h"

#include "dialoglayer/Handles.h"
#include "settings/SettingsFile.h"

#include <dshow.h>

#include <cstring>
#include <vector>

namespace {

// Only the camera's own devices are offered; the prefixes are part of their
// names as the vendor's driver reports them.
const char* const kDevicePrefixes[] = {"USB 28", "Kelvra"};

bool IsCameraDevice(const std::string& name) {
    for (const char* prefix : kDevicePrefixes)
        if (name.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return false;
}

std::string ToAnsi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::vector<char> buffer(size);
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), size, nullptr, nullptr);
    return buffer.data();
}

// The device's friendly name, empty when it cannot be read.
std::string FriendlyName(IMoniker* moniker) {
    ComPtr<IPropertyBag> properties;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, properties.receiveVoid())))
        return std::string();
    VARIANT name;
    VariantInit(&name);
    name.vt = VT_BSTR;
    std::string text;
    if (SUCCEEDED(properties->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR &&
        name.bstrVal)
        text = ToAnsi(name.bstrVal);
    VariantClear(&name);
    return text;
}

void AddCameraDevices(HWND combo) {
    ComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICreateDevEnum, devices.receiveVoid())))
        return;
    ComPtr<IEnumMoniker> monikers;
    // S_FALSE means the category has no device at all.
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.receive(), 0) !=
        S_OK)
        return;
    monikers->Reset();
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.receive(), nullptr) == S_OK) {
        const std::string name = FriendlyName(moniker.get());
        if (IsCameraDevice(name))
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

} // namespace

void FillVideoSourceList(HWND combo) {
    AddCameraDevices(combo);
    // The stored name selects the first device whose name begins with it,
    // in any case; without a match the first device is taken.
    const std::string stored = ReadSettingString(kSectionVideo, "Pilote", "");
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(stored.c_str()));
    if (SendMessageA(combo, CB_GETCURSEL, 0, 0) == CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

std::string SelectedVideoSource(HWND combo) {
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return std::string();
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR)
        return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}
