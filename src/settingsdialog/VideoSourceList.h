#pragma once
// The "Video source:" list of the settings dialog: the connected video capture
// devices whose names carry one of the camera's prefixes.
#include <windows.h>

#include <string>

// Fills the (empty) drop-down list with the devices, in the order the
// platform enumerates them, and selects the stored "Pilote" (or the first
// when none is stored). A stored camera that is not connected is listed
// last, marked " (not connected)", and selected.
void FillVideoSourceList(HWND combo);

// The selected device's name (the stored camera's without its mark), empty
// when none is selected.
std::string SelectedVideoSource(HWND combo);
