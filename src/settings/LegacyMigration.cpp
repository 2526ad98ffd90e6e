#include "LegacyMigration.h"

#include "SettingsFile.h"
#include "common/Handles.h"

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

// A 4-byte integer value; the default when missing or larger than 4 bytes.
int ReadLegacyInt(const LegacyProfile& profile, const char* section, const char* key,
                  int defaultValue) {
    UniqueRegKey sectionKey = OpenSectionKey(profile, section);
    if (!sectionKey)
        return defaultValue;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(sectionKey.get(), key, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS)
        return defaultValue;
    return static_cast<int>(value);
}

enum class CopyKind { String, Integer, Encoded };

struct MigratedSetting {
    CopyKind kind;
    const char* section;
    const char* key;
    const char* defaultText; // String and Encoded
    int defaultNumber;       // Integer
};

// What the older program kept that this one still uses, in the order of copy.
const MigratedSetting kMigratedSettings[] = {
    {CopyKind::String, kSectionVideo, "Pilote", "", 0},
    {CopyKind::Encoded, kSectionParam, "SoftPos", "", 0},
    {CopyKind::Integer, kSectionParam, "Delay", nullptr, 350},
    {CopyKind::Integer, kSectionParam, "LittleIcon", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "BTLive", nullptr, 0},
    {CopyKind::Encoded, kSectionParam, "Base", "", 0},
    {CopyKind::Encoded, kSectionParam, "Base1", "", 0},
    {CopyKind::Encoded, kSectionParam, "Base2", "", 0},
    {CopyKind::Encoded, kSectionParam, "Destination", "", 0},
    {CopyKind::Encoded, kSectionParam, "Destination1", "", 0},
    {CopyKind::Encoded, kSectionParam, "Destination2", "", 0},
    {CopyKind::Integer, kSectionAction, "Type", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "Message", nullptr, 1024},
    {CopyKind::Integer, kSectionAction, "WParam", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "LParam", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "Type1", nullptr, -1},
    {CopyKind::Integer, kSectionAction, "Message1", nullptr, 1024},
    {CopyKind::Integer, kSectionAction, "WParam1", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "LParam1", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "Type2", nullptr, -1},
    {CopyKind::Integer, kSectionAction, "Message2", nullptr, 1024},
    {CopyKind::Integer, kSectionAction, "WParam2", nullptr, 0},
    {CopyKind::Integer, kSectionAction, "LParam2", nullptr, 0},
};

void MigrateLegacySettings(const LegacyProfile& profile) {
    for (const MigratedSetting& setting : kMigratedSettings) {
        switch (setting.kind) {
        case CopyKind::String:
            MigrateSettingString(profile, setting.section, setting.key, setting.defaultText);
            break;
        case CopyKind::Integer:
            MigrateSettingInt(profile, setting.section, setting.key, setting.defaultNumber);
            break;
        case CopyKind::Encoded:
            MigrateEncodedSetting(profile, setting.section, setting.key, setting.defaultText);
            break;
        }
    }
}

} // namespace

void MigrateSettingString(const LegacyProfile& profile, const char* section, const char* key,
                          const char* defaultValue) {
    WriteSettingString(section, key, ReadLegacyString(profile, section, key, defaultValue).c_str());
}

void MigrateSettingInt(const LegacyProfile& profile, const char* section, const char* key,
                       int defaultValue) {
    WriteSettingInt(section, key, ReadLegacyInt(profile, section, key, defaultValue));
}

void MigrateEncodedSetting(const LegacyProfile& profile, const char* section, const char* key,
                           const char* defaultValue) {
    const std::string encodedKey = EncodedKeyName(key);
    WriteSettingString(
        section, encodedKey.c_str(),
        ReadLegacyString(profile, section, encodedKey.c_str(), defaultValue).c_str());
}

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
