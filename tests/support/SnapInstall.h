#pragma once
// A copy of Snap.exe under a name of its own, in a folder of its own, so each
// test has its own settings file (named after the executable) and its own
// choice of camera button library beside it.
#include "TestFiles.h"

#include <string>

// NotALibrary: a text file with the library's name, which the system refuses
// to load.
enum class CameraLibrary { None, StandIn, WithoutExport, NotALibrary };

class SnapInstall {
public:
    explicit SnapInstall(CameraLibrary library, const std::string& templateIni = "");
    ~SnapInstall();

    const std::string& Name() const { return m_name; }
    const std::string& Folder() const { return m_folder.Path(); }
    std::string ExePath() const { return m_folder / (m_name + ".exe"); }
    // The per-user settings file the copy will use.
    std::string SettingsPath() const;
    std::string SettingsFolder() const;

private:
    TempDir m_folder;
    std::string m_name;
};

// Paths of the built binaries, as Windows sees them.
std::string BuiltSnapExe();
std::string BuiltStandInLibrary();
std::string BuiltLibraryWithoutExport();
// A console program that records its command line (see its source).
std::string BuiltCommandLineRecorder();
// A windowed program that never becomes ready for input (see its source).
std::string BuiltNeverIdleProgram();
// Another program's windows of every kind, recording what is posted to them
// (see its source).
std::string BuiltBroadcastListener();
// A console program that writes numbered lines to a run log (see its source).
std::string BuiltLogWriter();

// What the system says when this process asks it to load the library at
// `path`: "error <code> (<the system's text>)", "%1" in the text standing for
// the file's name, as a reader of the log sees it.
std::string SystemRefusal(const std::string& path);
