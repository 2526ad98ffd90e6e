#pragma once
// Carry-over of settings from the older per-user registry profile
// (HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>).
#include <string>

struct LegacyProfile {
    std::string registryKey;     // "Kelvra - MorvaneGroup"
    std::string applicationName; // the executable's base name
};

// A string value of the profile: its data up to the first NUL, whatever the
// value's type; the default when the section or the value is missing.
std::string ReadLegacyString(const LegacyProfile& profile, const char* section, const char* key,
                             const char* defaultValue);

// The three kinds of copy from the profile to the settings file. Each writes,
// even when it writes the default.
void MigrateSettingString(const LegacyProfile& profile, const char* section, const char* key,
                          const char* defaultValue);
void MigrateSettingInt(const LegacyProfile& profile, const char* section, const char* key,
                       int defaultValue);
// Stored-text keys: the value under the encoded key name, copied as it is.
void MigrateEncodedSetting(const LegacyProfile& profile, const char* section, const char* key,
                           const char* defaultValue);

// The start-up check: migrate when the settings file has no video source but
// the registry profile has one. Returns whether it migrated.
bool MigrateLegacySettingsIfDue(const LegacyProfile& profile);
