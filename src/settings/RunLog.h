#pragma once
// The run log: one line of plain text per event, for the person who supports
// the workstation. It lives beside the settings file and is named after the
// executable ("Snap.log"). Writing it never holds or fails what is logged.
#include <windows.h>

#include <string>

// Past this size the log becomes "<name>.log.1" (one old file kept) and a new
// one is started.
constexpr ULONGLONG kLogRotateBytes = 1024 * 1024;
// When it cannot be turned (another program holds it or its old file without
// letting it be renamed), the log takes lines up to this many times its bound,
// then one line saying why it stops there.
constexpr ULONGLONG kLogCapFactor = 2;

// The log file's full path: the settings file's folder, the executable's name.
std::string LogFilePath();

// Whether "Log" in section "Param" (default 1) asks for the log.
bool LogWanted();

// Appends `text` as one line stamped with the local time, when the log is
// wanted. Any failure is swallowed: the log is never worth a failed run.
void WriteLogLine(const std::string& text);

// The local time as a log line starts: "2026-12-10 19:36:10.123".
std::string LogTimestamp(const SYSTEMTIME& time);

// Appends one line (CR LF added) to the file at `path`, first renaming it to
// `path` + ".1" when it has reached `rotateBytes`. Opens and closes the file
// each time, sharing it, so that support can read or delete it at any moment;
// copies of the program writing the same file take turns. False when the line
// could not be written (or the log is at its cap).
bool AppendLogLine(const std::string& path, const std::string& line, ULONGLONG rotateBytes);

// The lock every copy of the program takes to measure, turn and append to
// the log at `path`: two copies turning at once would each rename, the second
// putting the fresh file over the old one. A copy waits for it a moment only:
// one that hangs holding it costs the others their turns, never their lines.
std::string LogLockName(const std::string& path);
