#pragma once
// The application object: start-up, the one modal run of the main window, and
// the tear-down that ends the process.
#include <string>

class CTapsyncApp {
public:
    // The whole working life of the program. Returns when it is to end.
    void InitInstance();

    const std::string& RegistryKey() const { return m_registryKey; }
    const std::string& ApplicationName() const { return m_applicationName; }

private:
    std::string m_registryKey;
    std::string m_applicationName;
};
