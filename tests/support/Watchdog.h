#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace TestSupport
{
    /** Ends the test program with a failure when what it watches has not finished in time: a
        hung or deadlocked call never returns, and the test must fail instead of holding up the
        whole run.
    */
    class Watchdog
    {
    public:
        Watchdog (std::chrono::seconds limit, std::string whatToFinish)
            : what (std::move (whatToFinish)),
              watcher ([this, limit]
                       {
                           std::unique_lock<std::mutex> hold (lock);

                           if (! finishedInTime.wait_for (hold, limit, [this] { return finished; }))
                           {
                               std::fprintf (stderr, "FAILED: %s did not finish within %lld s\n", what.c_str(), (long long) limit.count());
                               std::fflush (stderr);
                               std::abort();
                           }
                       })
        {
        }

        ~Watchdog()
        {
            {
                const std::lock_guard<std::mutex> hold (lock);
                finished = true;
            }

            finishedInTime.notify_all();
            watcher.join();
        }

    private:
        const std::string what;
        std::mutex lock;
        std::condition_variable finishedInTime;
        bool finished = false;
        std::thread watcher;
    };
}
