#include "SettingsFile.h"

#include "StoredText.h"
#include "common/ModulePaths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

namespace {

bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

std::string LocalAppDataFolder() {
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::string();
    return folder;
}

// Calls a profile reader with a growing buffer until the answer fits. The
// reader reports truncation by returning size - truncatedMargin.
template <typename Reader>
std::string ReadGrowing(DWORD initialSize, DWORD truncatedMargin, Reader read) {
    for (DWORD size = initialSize;; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = read(buffer.data(), size);
        if (length + truncatedMargin < size || size >= (1u << 26))
            return std::string(buffer.data(), length);
    }
}

// Keys match as the profile functions match them: letters of either case
// alike, whatever the user's locale (a locale's rules would, for one, tell a
// dotted from a dotless i).
bool SameKey(const std::string& a, const char* b) {
    const size_t length = std::strlen(b);
    if (a.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const auto fold = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// A copy keeps the read-only attribute of a template the installer left
// read-only, and every later write would then fail without a word.
void MakeWritable(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        (void)SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

SettingsFileLocation LocateSettingsFile(const std::string& exePath,
                                        const std::string& localAppData) {
    SettingsFileLocation location;
    const std::string baseName = BaseNameOf(exePath);
    const char* extension = PathFindExtensionA(exePath.c_str());
    location.templatePath =
        exePath.substr(0, static_cast<size_t>(extension - exePath.c_str())) + ".INI";
    if (localAppData.empty())
        return location;
    location.userFolder = JoinPath(localAppData, baseName);
    location.userPath = JoinPath(location.userFolder, baseName);
    if (*PathFindExtensionA(location.userPath.c_str()) == '\0') // a name with a dot keeps its own
        location.userPath += ".INI";
    return location;
}

SettingsFileLocation LocateOwnSettingsFile() {
    return LocateSettingsFile(ExecutablePath(), LocalAppDataFolder());
}

SettingsFileDecision DecideSettingsFile(const SettingsFileLocation& location) {
    SettingsFileDecision decision;
    decision.path = location.templatePath;
    if (location.userFolder.empty())
        return decision; // NoLocalAppData
    if (!IsFolder(location.userFolder)) {
        // No folder of ours can exist there (a file in its way, or no folder
        // to make it in): a path that can never be written would lose every
        // setting, so work from the template.
        if (PathFileExistsA(location.userFolder.c_str()) ||
            !IsFolder(FolderOf(location.userFolder))) {
            decision.choice = SettingsChoice::FolderBlocked;
            return decision;
        }
        decision.makeFolder = true;
    }
    // The user's own file is never overwritten. Without it, the template
    // seeds it once; without a template either, the per-user path stays in
    // use all the same: its reads give the defaults and the first write makes
    // it, whereas the template's folder belongs to the installer, which
    // replaces or removes what is written there.
    decision.path = location.userPath;
    if (!decision.makeFolder && PathFileExistsA(location.userPath.c_str()))
        decision.choice = SettingsChoice::UserFile;
    else if (PathFileExistsA(location.templatePath.c_str()))
        decision.choice = SettingsChoice::Seeded;
    else
        decision.choice = SettingsChoice::NoTemplate;
    return decision;
}

std::string PrepareSettingsFile(const std::string& exePath, const std::string& localAppData) {
    const SettingsFileLocation location = LocateSettingsFile(exePath, localAppData);
    const SettingsFileDecision decision = DecideSettingsFile(location);
    if (decision.makeFolder && !CreateDirectoryA(location.userFolder.c_str(), nullptr) &&
        !IsFolder(location.userFolder))
        return location.templatePath; // no rights there: as a folder that cannot be made
    // A copy that fails (a full disk, the template locked) leaves the per-user
    // path in use all the same, as a missing template does.
    if (decision.choice == SettingsChoice::Seeded &&
        CopyFileA(location.templatePath.c_str(), location.userPath.c_str(), TRUE))
        MakeWritable(location.userPath);
    return decision.path;
}

namespace {
std::string& PathTakenAsIs() {
    static std::string path;
    return path;
}
} // namespace

void UseSettingsFileAsIs(const std::string& path) {
    PathTakenAsIs() = path;
}

const std::string& SettingsFilePath() {
    static const std::string path =
        !PathTakenAsIs().empty() ? PathTakenAsIs()
                                 : PrepareSettingsFile(ExecutablePath(), LocalAppDataFolder());
    return path;
}

int ReadSettingInt(const char* section, const char* key, int defaultValue) {
    // The profile function answers with the signed number's bits.
    return static_cast<int>(
        GetPrivateProfileIntA(section, key, defaultValue, SettingsFilePath().c_str()));
}

std::string ReadSettingString(const char* section, const char* key, const char* defaultValue) {
    char buffer[kMaxSettingString + 1] = "";
    const DWORD length = GetPrivateProfileStringA(section, key, defaultValue, buffer, sizeof buffer,
                                                  SettingsFilePath().c_str());
    return std::string(buffer, length);
}

void WriteSettingInt(const char* section, const char* key, int value) {
    char text[16];
    wsprintfA(text, "%d", value);
    WriteSettingString(section, key, text);
}

void WriteSettingString(const char* section, const char* key, const char* value) {
    (void)WritePrivateProfileStringA(section, key, value, SettingsFilePath().c_str());
}

std::string EncodedKeyName(const char* plainKey) {
    std::string key = plainKey;
    EncodeStoredText(key, IsLeadByte);
    return key;
}

std::string ReadStoredText(const char* section, const char* plainKey) {
    const std::string key = EncodedKeyName(plainKey);
    // String reads return size - 1 when the value was cut.
    std::string value = ReadGrowing(kMaxSettingString + 1, 1, [&](char* buffer, DWORD size) {
        return GetPrivateProfileStringA(section, key.c_str(), "", buffer, size,
                                        SettingsFilePath().c_str());
    });
    DecodeStoredText(value, IsLeadByte);
    return value;
}

void WriteStoredText(const char* section, const char* plainKey, const std::string& plainValue) {
    std::string value = plainValue;
    EncodeStoredText(value, IsLeadByte);
    WriteSettingString(section, EncodedKeyName(plainKey).c_str(), value.c_str());
}

std::string StepKey(const char* baseName, int stepIndex) {
    std::string key = baseName;
    if (stepIndex > 0)
        key += std::to_string(stepIndex);
    return key;
}

std::string ReadSettingSection(const char* section) {
    // Section reads return size - 2 when the list was cut.
    return ReadGrowing(1024, 2, [&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionA(section, buffer, size, SettingsFilePath().c_str());
    });
}

void WriteSettingSection(const char* section, const std::string& entries) {
    // The platform wants the list closed by an empty entry.
    std::string list = entries;
    list += '\0';
    list += '\0';
    (void)WritePrivateProfileSectionA(section, list.c_str(), SettingsFilePath().c_str());
}

bool FindSectionValue(const std::string& entries, const char* key, std::string* value) {
    auto trimmed = [](const std::string& text) {
        const size_t first = text.find_first_not_of(" \t");
        const size_t last = text.find_last_not_of(" \t");
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    };
    for (size_t at = 0; at < entries.size();) {
        size_t end = entries.find('\0', at);
        if (end == std::string::npos)
            end = entries.size();
        const std::string entry = entries.substr(at, end - at);
        at = end + 1;
        const size_t equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        if (SameKey(trimmed(entry.substr(0, equals)), key)) {
            *value = trimmed(entry.substr(equals + 1));
            return true;
        }
    }
    return false;
}

void RestoreSettingSection(const char* section, const std::string& entries) {
    // A write puts the whole section in the platform's own form (line ends,
    // duplicate keys, lines without "="): a file only looked at must keep
    // every byte.
    if (ReadSettingSection(section) == entries)
        return;
    if (entries.empty()) {
        // It held nothing: no empty header is left behind.
        (void)WritePrivateProfileStringA(section, nullptr, nullptr, SettingsFilePath().c_str());
        return;
    }
    WriteSettingSection(section, entries);
}
