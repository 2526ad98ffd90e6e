#pragma once
// Fake video capture devices, registered the way the system device
// enumerator finds them: a key under
// HKCR\CLSID\{VideoInputDeviceCategory}\Instance with a "FriendlyName".
//
// That key is shared by every process of the Wine prefix, and CTest may run
// test processes side by side: a test holds CaptureDevicesLock while its
// devices exist, so each sees exactly its own.
#include "common/Handles.h"

#include <windows.h>

#include <string>

// The key the system device enumerator reads video capture devices from.
constexpr const char* kVideoCaptureInstanceKey =
    "CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance";

// How many capture devices are registered, in the caller's registry view.
DWORD CaptureDeviceCount();

// Ownership of the capture device registrations for one test.
class CaptureDevicesLock {
public:
    // False when another process kept the devices for a minute.
    bool Acquire();
    ~CaptureDevicesLock();

private:
    UniqueKernelHandle m_mutex;
    bool m_owned = false;
};

// One fake capture device, removed again when this goes. `view` is 0 (the
// caller's own registry view), KEY_WOW64_32KEY or KEY_WOW64_64KEY.
class FakeCaptureDevice {
public:
    FakeCaptureDevice(const std::string& keyName, const wchar_t* friendlyName, REGSAM view = 0);
    ~FakeCaptureDevice();
    FakeCaptureDevice(const FakeCaptureDevice&) = delete;
    FakeCaptureDevice& operator=(const FakeCaptureDevice&) = delete;

    bool Registered() const { return m_registered; }

private:
    std::string m_key;
    REGSAM m_view;
    bool m_registered = false;
};
