#include "support/PrivateDisplay.h"

#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

PrivateDisplay::PrivateDisplay()
{
    int pipeEnds[2];

    if (pipe (pipeEnds) != 0)
        return;

    const auto child = fork();

    if (child == 0)
    {
        // The server writes its display number to the pipe once it takes connections.
        close (pipeEnds[0]);

        if (const auto quiet = open ("/dev/null", O_WRONLY); quiet >= 0)
        {
            dup2 (quiet, STDOUT_FILENO);
            dup2 (quiet, STDERR_FILENO);
        }

        const auto fd = std::to_string (pipeEnds[1]);
        execlp ("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                static_cast<char*> (nullptr));
        _exit (127);
    }

    close (pipeEnds[1]);

    std::string number;
    char c = 0;

    while (child > 0 && read (pipeEnds[0], &c, 1) == 1 && c != '\n')
        number += c;

    close (pipeEnds[0]);

    if (child <= 0)
        return;

    if (number.empty() || setenv ("DISPLAY", (":" + number).c_str(), 1) != 0)
    {
        kill (child, SIGTERM);
        waitpid (child, nullptr, 0);
        return;
    }

    serverProcess = child;
}

PrivateDisplay::~PrivateDisplay()
{
    if (serverProcess > 0)
    {
        kill (serverProcess, SIGTERM);
        waitpid (serverProcess, nullptr, 0);
    }
}
