#pragma once

#include <csignal>

#include <sys/resource.h>

namespace TestSupport
{
    /** Lowers one of the process's resource limits while it lives: write failures that even
        root cannot get past. A file-size limit makes a longer write fail part of the way through
        (the signal it would raise is ignored meanwhile).
    */
    class ResourceLimit
    {
    public:
        ResourceLimit (int resourceToLimit, rlim_t limit) : resource (resourceToLimit)
        {
            previousHandler = std::signal (SIGXFSZ, SIG_IGN);
            getrlimit (resource, &previous);
            auto lowered = previous;
            lowered.rlim_cur = limit;
            applied = setrlimit (resource, &lowered) == 0;
        }

        ~ResourceLimit()
        {
            setrlimit (resource, &previous);
            std::signal (SIGXFSZ, previousHandler);
        }

        bool applied = false;

    private:
        const int resource;
        rlimit previous {};
        void (*previousHandler) (int) = nullptr;
    };
}
