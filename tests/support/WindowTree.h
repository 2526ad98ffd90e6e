#pragma once
// A window tree of another application in miniature, built in the test
// process: a top-level window with an exact client size and plain children.
#include <windows.h>

#include <string>
#include <vector>

// What the tree's windows received of the messages a step may post.
struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<ReceivedMessage>& ReceivedMessages();
// Dispatches what was posted to this thread's windows, so it is recorded.
void DeliverPostedMessages();

class WindowTree {
public:
    // A top-level window of class "SnapTestTop" with this client size; it and its
// children record the messages they receive.
    explicit WindowTree(int clientWidth, int clientHeight, const char* title = "Test Top");
    ~WindowTree();
    WindowTree(const WindowTree&) = delete;
    WindowTree& operator=(const WindowTree&) = delete;

    HWND Top() const { return m_top; }
    // A child at (x, y) of its parent's client area; created last among its siblings.
    HWND Add(HWND parent, int x, int y, int width, int height, bool visible = true, int id = 0);
    void ResizeClient(int clientWidth, int clientHeight);

    static constexpr const char* kClassName = "SnapTestTop";

private:
    HWND m_top = nullptr;
};

// A window's class name and stored texts for the checks.
std::string ClassOf(HWND window);
