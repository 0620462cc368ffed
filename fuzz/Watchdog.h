#pragma once
// Ends the process with exit code 124 when one fuzz case runs past its time, so a hang is
// told apart from a crash and from a clean run.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>

class Watchdog
{
public:
    explicit Watchdog(int timeoutMs) : m_timeout(timeoutMs), m_thread([this] { run(); }) {}
    ~Watchdog()
    {
        m_quit = true;
        m_thread.join();
    }
    void arm(const std::string &name)
    {
        m_name = name;
        m_deadline.store(now() + m_timeout, std::memory_order_release);
    }
    void disarm() { m_deadline.store(0, std::memory_order_release); }

private:
    static long long now()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void run()
    {
        while (!m_quit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const long long d = m_deadline.load(std::memory_order_acquire);
            if (d && now() > d) {
                std::fprintf(stderr, "HANG %s\n", m_name.c_str());
                std::fflush(stderr);
                _exit(124);
            }
        }
    }
    const int m_timeout;
    std::atomic<long long> m_deadline{0};
    std::atomic<bool> m_quit{false};
    std::string m_name;
    std::thread m_thread;
};
