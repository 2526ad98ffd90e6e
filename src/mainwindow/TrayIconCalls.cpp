#include "TrayIconCalls.h"

#include "TrayIcon.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>

struct CTrayIconCalls::Queue {
    std::mutex lock;
    // Told of every change: a call handed over, made or dropped, the end.
    std::condition_variable changed;
    std::deque<std::pair<DWORD, NOTIFYICONDATAA>> calls;
    unsigned long long handedOver = 0;
    unsigned long long settled = 0; // made or dropped
    bool closing = false;
    bool ended = false;
};

namespace {

bool IsBalloon(const std::pair<DWORD, NOTIFYICONDATAA>& call) {
    return (call.second.uFlags & NIF_INFO) != 0;
}

} // namespace

CTrayIconCalls::~CTrayIconCalls() {
    Finish(kTrayIconRemoveWaitMs);
}

void CTrayIconCalls::MakeCalls(std::shared_ptr<Queue> queue) {
    std::unique_lock<std::mutex> lock(queue->lock);
    for (;;) {
        queue->changed.wait(lock, [&] { return !queue->calls.empty() || queue->closing; });
        if (queue->calls.empty())
            break;
        std::pair<DWORD, NOTIFYICONDATAA> call = queue->calls.front();
        queue->calls.pop_front();
        lock.unlock();
        (void)g_shellNotifyIcon(call.first, &call.second); // nothing to do when it fails
        lock.lock();
        ++queue->settled;
        queue->changed.notify_all();
    }
    queue->ended = true;
    queue->changed.notify_all();
}

void CTrayIconCalls::Call(DWORD operation, const NOTIFYICONDATAA& data) {
    if (!m_queue && !m_direct) {
        m_queue = std::make_shared<Queue>();
        try {
            m_thread = std::thread(MakeCalls, m_queue);
        } catch (const std::system_error&) {
            m_queue.reset();
            m_direct = true;
        }
    }
    if (m_direct) {
        NOTIFYICONDATAA copy = data;
        (void)g_shellNotifyIcon(operation, &copy);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_queue->lock);
        m_queue->calls.emplace_back(operation, data);
        ++m_queue->handedOver;
    }
    m_queue->changed.notify_all();
}

void CTrayIconCalls::DropBalloons() {
    if (!m_queue)
        return;
    {
        std::lock_guard<std::mutex> lock(m_queue->lock);
        auto& calls = m_queue->calls;
        const auto kept = std::remove_if(calls.begin(), calls.end(), IsBalloon);
        m_queue->settled += static_cast<unsigned long long>(calls.end() - kept);
        calls.erase(kept, calls.end());
    }
    m_queue->changed.notify_all();
}

bool CTrayIconCalls::WaitUntilMade(DWORD timeoutMs) {
    if (!m_queue)
        return true;
    std::unique_lock<std::mutex> lock(m_queue->lock);
    const unsigned long long target = m_queue->handedOver;
    return m_queue->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return m_queue->settled >= target; });
}

void CTrayIconCalls::Remove(const NOTIFYICONDATAA& data) {
    // A balloon shown now would go with the icon at once.
    DropBalloons();
    Call(NIM_DELETE, data);
    Finish(kTrayIconRemoveWaitMs);
}

void CTrayIconCalls::Finish(DWORD timeoutMs) {
    if (!m_queue)
        return;
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(m_queue->lock);
        m_queue->closing = true;
        m_queue->changed.notify_all();
        ended = m_queue->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                          [&] { return m_queue->ended; });
    }
    // A thread still inside a call of a shell that does not answer keeps the
    // queue alive itself and ends after it; the process may end before.
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
    m_queue.reset();
}
