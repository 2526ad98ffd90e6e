#include "LibrarySearch.h"

#include <windows.h>

namespace {
bool g_protected = false;
}

void KeepCurrentDirectoryOutOfLibrarySearch() {
    g_protected = SetDllDirectoryA("") != FALSE;
}

CChildLibrarySearch::CChildLibrarySearch() : m_restore(g_protected) {
    if (m_restore)
        (void)SetDllDirectoryA(nullptr);
}

CChildLibrarySearch::~CChildLibrarySearch() {
    if (m_restore)
        (void)SetDllDirectoryA("");
}
