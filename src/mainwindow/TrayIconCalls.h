#pragma once
// The calls that change the notification-area icon, made in the order they
// were handed over, on a thread of their own. The shell answers each call
// before it returns: a busy or hung shell must hold neither the poll, nor a
// step, nor the button and the menu of the window's thread.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <thread>

// How long the end of the program waits for the shell to take the icon away.
constexpr DWORD kTrayIconRemoveWaitMs = 5000;

class CTrayIconCalls {
public:
    CTrayIconCalls() = default;
    ~CTrayIconCalls();
    CTrayIconCalls(const CTrayIconCalls&) = delete;
    CTrayIconCalls& operator=(const CTrayIconCalls&) = delete;

    // Hands a call of Shell_NotifyIconA over and returns at once; it is made
    // after every call handed over before it.
    void Call(DWORD operation, const NOTIFYICONDATAA& data);
    // Balloons handed over but not yet given to the shell are not shown.
    void DropBalloons();
    // Whether every call handed over so far was made (or dropped) within
    // `timeoutMs`.
    bool WaitUntilMade(DWORD timeoutMs);
    // Removes the icon after the calls before it, balloons not yet shown
    // dropped, and ends the thread. It waits for that kTrayIconRemoveWaitMs at
    // the most: a shell slower than that still gets the call, from a thread
    // that ends once the shell answers.
    void Remove(const NOTIFYICONDATAA& data);

private:
    struct Queue;
    static void MakeCalls(std::shared_ptr<Queue> queue);
    // No more calls come: the thread ends once it has made those handed over.
    void Finish(DWORD timeoutMs);

    // Shared with the thread, which may outlive this object when the shell
    // does not answer.
    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
    // The thread could not be started: the calls are made here instead.
    bool m_direct = false;
};
