#pragma once
// Where the program runs from and the name it goes by.
#include <string>

// The running executable's full path.
std::string ExecutablePath();

// A file name without folder and extension: "C:\\Apps\\Snap.exe" gives "Snap".
std::string BaseNameOf(const std::string& path);

// The application name: the executable's base name. Renaming the executable
// renames the settings file, the registry profile and message box captions.
std::string ApplicationName();
