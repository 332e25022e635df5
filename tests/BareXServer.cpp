// GUI tests open real windows. Under a bare X server (xvfb-run) no window manager has made its
// atoms yet, and the framework's window set-up names them: they are made here, as a window
// manager would, before the framework first connects. The connection stays open until the tests
// end, since a bare server forgets its atoms when its last client leaves. No framework header
// comes in here, as Xlib's macros clash with its names.

#include <gtest/gtest.h>

// After every C++ header: Xlib defines macros such as None.
#include <X11/Xlib.h>

namespace
{
    class BareXServer final : public ::testing::Environment
    {
    public:
        void SetUp() override
        {
            display = XOpenDisplay (nullptr);
            ASSERT_NE (display, nullptr) << "no display: run these tests under xvfb-run -a";

            for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                                      "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE" })
                XInternAtom (display, name, False);

            XSync (display, False);
        }

        void TearDown() override
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

    private:
        Display* display = nullptr;
    };

    [[maybe_unused]] auto* const bareXServer = ::testing::AddGlobalTestEnvironment (new BareXServer);
}
