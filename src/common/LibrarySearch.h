#pragma once
// The program's own protection of its library search, and what the programs
// it starts inherit of it.

// Takes the current directory out of the search for every library the
// program loads from now on (delay loads, shell and COM libraries).
void KeepCurrentDirectoryOutOfLibrarySearch();

// A program started while this object lives gets the platform's normal
// library search order: the platform passes a process's DLL directory on to
// its children, and a program of the user's must not lose its own current
// folder because of Snap's protection. Put back at the end of the scope.
class CChildLibrarySearch {
public:
    CChildLibrarySearch();
    ~CChildLibrarySearch();
    CChildLibrarySearch(const CChildLibrarySearch&) = delete;
    CChildLibrarySearch& operator=(const CChildLibrarySearch&) = delete;

private:
    bool m_restore;
};
