#include "CaptureDevices.h"

#include <cwchar>

namespace {
constexpr const char* kDevicesMutex = "SnapTests.VideoCaptureDevices";
}

DWORD CaptureDeviceCount() {
    UniqueRegKey instance;
    DWORD devices = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kVideoCaptureInstanceKey, 0, KEY_READ,
                      instance.receive()) == ERROR_SUCCESS)
        RegQueryInfoKeyA(instance.get(), nullptr, nullptr, nullptr, &devices, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr);
    return devices;
}

bool CaptureDevicesLock::Acquire() {
    m_mutex.reset(CreateMutexA(nullptr, FALSE, kDevicesMutex));
    if (!m_mutex)
        return false;
    // An abandoned mutex is ours all the same: its owner died.
    const DWORD wait = WaitForSingleObject(m_mutex.get(), 60000);
    m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    return m_owned;
}

CaptureDevicesLock::~CaptureDevicesLock() {
    if (m_owned)
        ReleaseMutex(m_mutex.get());
}

FakeCaptureDevice::FakeCaptureDevice(const std::string& keyName, const wchar_t* friendlyName,
                                     REGSAM view)
    : m_key(std::string(kVideoCaptureInstanceKey) + "\\" + keyName), m_view(view) {
    UniqueRegKey device;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, m_key.c_str(), 0, nullptr, 0, KEY_WRITE | m_view,
                        nullptr, device.receive(), nullptr) != ERROR_SUCCESS)
        return;
    if (!friendlyName) {
        m_registered = true;
        return;
    }
    const DWORD bytes = static_cast<DWORD>((wcslen(friendlyName) + 1) * sizeof(wchar_t));
    m_registered =
        RegSetValueExW(device.get(), L"FriendlyName", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(friendlyName), bytes) == ERROR_SUCCESS;
}

FakeCaptureDevice::~FakeCaptureDevice() {
    RegDeleteKeyExA(HKEY_CLASSES_ROOT, m_key.c_str(), m_view, 0);
}
