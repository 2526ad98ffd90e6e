#include "LegacyMigration.h"

#include "SettingsFile.h"
#include "dialoglayer/Handles.h"

#include <windows.h>

#include <vector>

namespace {

constexpr REGSAM kProfileAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

// Opens the section's key below HKCU\Software, creating the keys on the way as
// the older program did.
UniqueRegKey OpenSectionKey(const LegacyProfile& profile, const char* section) {
    UniqueRegKey software;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, kProfileAccess, software.receive()) !=
        ERROR_SUCCESS)
        return UniqueRegKey();
    UniqueRegKey current = std::move(software);
    for (const char* name :
         {profile.registryKey.c_str(), profile.applicationName.c_str(), section}) {
        UniqueRegKey next;
        DWORD disposition = 0;
        if (RegCreateKeyExA(current.get(), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            kProfileAccess, nullptr, next.receive(), &disposition) != ERROR_SUCCESS)
            return UniqueRegKey();
        current = std::move(next);
    }
    return current;
}

void MigrateLegacySettings(const LegacyProfile&) {
    // The copies of the older profile's values come with the migration table.
}

} // namespace

std::string ReadLegacyString(const LegacyProfile& profile, const char* section, const char* key,
                             const char* defaultValue) {
    UniqueRegKey sectionKey = OpenSectionKey(profile, section);
    if (!sectionKey)
        return defaultValue;
    DWORD size = 0;
    if (RegQueryValueExA(sectionKey.get(), key, nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return defaultValue;
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(sectionKey.get(), key, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return defaultValue;
    return std::string(data.data()); // up to the first NUL
}

bool MigrateLegacySettingsIfDue(const LegacyProfile& profile) {
    if (!ReadSettingString(kSectionVideo, "Pilote", "").empty())
        return false;
    if (ReadLegacyString(profile, kSectionVideo, "Pilote", "").empty())
        return false;
    MigrateLegacySettings(profile);
    return true;
}
