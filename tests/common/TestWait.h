// Waiting on a condition with a generous time-out: loaded machines and Wine
// make any fixed sleep either too short or wasteful.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class Signal {
public:
    // Runs change under the lock, then wakes every waiter.
    template <typename F>
    void Update(F change) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            change();
        }
        m_cv.notify_all();
    }
    template <typename P>
    bool WaitFor(P predicate, std::chrono::seconds timeout = std::chrono::seconds(60)) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, timeout, predicate);
    }
    std::mutex& Mutex() { return m_mutex; }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
};
