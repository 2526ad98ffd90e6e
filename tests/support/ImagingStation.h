#pragma once
// The imaging application in miniature, built in the test process: the
// control C (id 0x1234) is the 3rd child of the 2nd child P of the top-level
// window T (800 x 600 client, class "SnapTestTop"), and covers (100, 50)-(180,
// 74) of T's client area, so the path "2;140;62" leads to it.
#include "support/WindowTree.h"

struct ImagingStation {
    static constexpr int kControlId = 0x1234;
    static constexpr const char* kDescription = "800;600;SnapTestTop\t";
    static constexpr const char* kPathToControl = "2;140;62";

    WindowTree tree{800, 600, "Imaging Station"};
    HWND first = tree.Add(tree.Top(), 0, 0, 20, 20);
    HWND p = tree.Add(tree.Top(), 50, 40, 400, 300);
    HWND p1 = tree.Add(p, 0, 0, 10, 10);
    HWND p2 = tree.Add(p, 0, 200, 10, 10);
    HWND c = tree.Add(p, 50, 10, 80, 24, true, kControlId);
};
