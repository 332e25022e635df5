#include "support/XTestConnection.h"

#include <X11/extensions/XTest.h>

Display* TestSupport::xTestConnection()
{
    static Display* const connection = []
    {
        auto* d = XOpenDisplay (nullptr);
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;

        if (d != nullptr && ! XTestQueryExtension (d, &eventBase, &errorBase, &major, &minor))
        {
            XCloseDisplay (d);
            d = nullptr;
        }

        return d;
    }();

    return connection;
}
