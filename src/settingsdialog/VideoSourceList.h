#pragma once
// The "Video source:" list of the settings dialog: the connected video capture
// devices whose names carry one of the camera's prefixes.
#include <windows.h>

#include <string>

// Fills the (empty) drop-down list with the devices, in the order the
// platform enumerates them, and selects the stored "Pilote" (or the first).
void FillVideoSourceList(HWND combo);

// The selected device's name, empty when none is selected.
std::string SelectedVideoSource(HWND combo);
