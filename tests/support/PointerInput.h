#pragma once
// Pointer input as a person gives it, through xdotool on the X display that
// Wine draws on: the platform sees real pointer events, not a warp.
#include <windows.h>

#include <string>

// Runs a Linux program (xdotool) from inside Wine and waits for it.
void RunLinuxProgram(const std::string& commandLine);
// Moves the pointer and waits until Wine has taken the new position.
void MovePointerTo(POINT point);
