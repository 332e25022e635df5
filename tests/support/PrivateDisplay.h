#pragma once

#include <sys/types.h>

/** An X server of the test program's own (Xvfb, 1280 x 1024, 24 bits), whose display becomes the
    program's DISPLAY for as long as this lives. Test programs that open windows, move the pointer
    or type run side by side this way without reaching into each other's windows, pointer or
    keyboard focus. The server picks its own free display number, so any number of them start at
    once without a race.
*/
class PrivateDisplay
{
public:
    PrivateDisplay();
    ~PrivateDisplay();

    /** Whether the server started and DISPLAY names it. */
    bool isRunning() const noexcept   { return serverProcess > 0; }

    PrivateDisplay (const PrivateDisplay&) = delete;
    PrivateDisplay& operator= (const PrivateDisplay&) = delete;

private:
    pid_t serverProcess = -1;
};
