#pragma once
// Wine's desktop process, as a broadcast meets it.

// A button command broadcast to all windows (WM_COMMAND, BN_CLICKED) reaches
// the tray window of Wine's desktop process too, which takes any of them for
// a click on its Start button and opens the Start menu. The menu's loop then
// holds that process, and with it a test runner whose output it may have
// inherited, until someone closes it. Call this once the broadcast is posted:
// the WM_CANCELMODE it posts behind the broadcast ends the menu's loop, and
// where no menu opens it changes nothing.
void CloseStartMenuOpenedByABroadcast();
