#pragma once
// Where the program runs from and the name it goes by. Paths are of any
// length: the program may be installed deeper than MAX_PATH.
#include <windows.h>

#include <string>

// The running executable's full path.
std::string ExecutablePath();
// A loaded module's full path ("" when the handle is not one).
std::string ModulePath(HMODULE module);

// The folder part of a path, without its last separator: "C:\\Apps\\Snap.exe"
// gives "C:\\Apps"; a bare file name gives "".
std::string FolderOf(const std::string& path);

// folder + "\\" + name, as PathAppendA makes it, for paths of any length: no
// second separator when the folder already ends in one (a double-byte
// character whose second byte is a backslash does not count as one).
std::string JoinPath(const std::string& folder, const std::string& name);

// A file name without folder and extension: "C:\\Apps\\Snap.exe" gives "Snap".
std::string BaseNameOf(const std::string& path);

// The application name: the executable's base name. Renaming the executable
// renames the settings file, the registry profile and message box captions.
std::string ApplicationName();
