#pragma once
// The per-user settings file and its typed accessors. Nothing is cached but the
// file's path: every read asks the file, every write goes to it at once.
#include <string>

// Section names of the settings file.
constexpr const char* kSectionParam = "Param";
constexpr const char* kSectionAction = "Action";
constexpr const char* kSectionVideo = "Video";
constexpr const char* kSectionPlacement = "WPlace";

// Plain string reads are limited to 255 characters, as the file format has
// always promised its readers.
constexpr size_t kMaxSettingString = 255;

// The settings file's full path. The first call of the process creates the
// per-user folder and seeds it from the template beside the executable.
const std::string& SettingsFilePath();

// The preparation behind SettingsFilePath, for given locations. localAppData
// empty means that folder could not be obtained: the template is used then.
std::string PrepareSettingsFile(const std::string& exePath, const std::string& localAppData);

// Where the settings file and its template are, found without preparing
// anything: no folder made, nothing copied.
struct SettingsFileLocation {
    std::string templatePath; // beside the executable
    std::string userFolder;   // empty when the local application data folder is unknown
    std::string userPath;     // the per-user file; empty as userFolder
};
SettingsFileLocation LocateSettingsFile(const std::string& exePath,
                                        const std::string& localAppData);
// The same for the running executable and this user.
SettingsFileLocation LocateOwnSettingsFile();

// Which file Snap uses, decided from what exists now without making or
// copying anything: what start-up prepares and what "Snap.exe /check" reads.
enum class SettingsChoice {
    UserFile,       // the per-user file is there
    Seeded,         // the per-user file is to be made from the template
    NoTemplate,     // the per-user file is to be made by the first write
    NoLocalAppData, // the local application data folder is unknown: the template
    FolderBlocked,  // the per-user folder cannot be made (a file in its way): the template
};
struct SettingsFileDecision {
    SettingsChoice choice = SettingsChoice::NoLocalAppData;
    std::string path;        // the file Snap reads and writes
    bool makeFolder = false; // the per-user folder is to be made first
};
SettingsFileDecision DecideSettingsFile(const SettingsFileLocation& location);

// Makes `path` the settings file of this process as it is: nothing is made
// or seeded. For a look at the settings that must leave the user's files as
// they are; it counts only before the first access.
void UseSettingsFileAsIs(const std::string& path);

int ReadSettingInt(const char* section, const char* key, int defaultValue);
std::string ReadSettingString(const char* section, const char* key, const char* defaultValue);
void WriteSettingInt(const char* section, const char* key, int value);
void WriteSettingString(const char* section, const char* key, const char* value);

// Stored-text values: key name and value both encoded. Reads come back whole,
// whatever their length.
std::string ReadStoredText(const char* section, const char* plainKey);
void WriteStoredText(const char* section, const char* plainKey, const std::string& plainValue);

// The encoded form of a plain key name.
std::string EncodedKeyName(const char* plainKey);

// Key of a per-step setting: the base name for step 0, base name + index for
// steps 1 to 9 ("Type", "Type1", ... "Type9").
std::string StepKey(const char* baseName, int stepIndex);

// A whole section as the platform's profile functions exchange it: "key=value"
// entries, each NUL-terminated, in file order. Any length.
std::string ReadSettingSection(const char* section);
void WriteSettingSection(const char* section, const std::string& entries);
// The value a profile read of `key` gives from a section list as
// ReadSettingSection returns it: keys match without regard to case and the
// first of duplicates counts. False when the key is not there.
bool FindSectionValue(const std::string& entries, const char* key, std::string* value);
// Puts a section back as `entries` (what ReadSettingSection gave earlier),
// writing nothing when it still holds exactly that.
void RestoreSettingSection(const char* section, const std::string& entries);
