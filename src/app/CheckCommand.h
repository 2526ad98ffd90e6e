#pragma once
// "Snap.exe /check": what each configured step would do now, in words a
// support person can read, without starting the resident program and without
// posting, clicking or launching anything.

// Whether the arguments (the command line after the program's name) ask for
// the check: "/check" or "-check" in any letter case, and nothing more.
bool IsCheckCommand(const char* arguments);

// Checks the steps from the first up to the first "None" against the windows
// open now. The report goes to the console Snap was started from, or to its
// standard output when that is a file or a pipe, and to "<name>-check.txt" in
// the settings folder. The result is the process's exit code: 0 when every
// step resolves, 1 when one does not or the settings cannot be read.
int RunCheck();
