// The tests' windows open on a bare X server (Xvfb) without a window manager, where atoms that
// a window manager would create, such as WM_PROTOCOLS, do not exist yet. Setting such a
// property is then an X error, which by default ends the process; a plug-in leaves the handling
// of X errors to its host, so the tests, as the host, ignore them.

#include <gtest/gtest.h>

// After gtest: the X headers define macros such as None that clash with its names.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class IgnoreXErrors final : public ::testing::Environment
    {
    public:
        void SetUp() override
        {
            if (juce::XWindowSystem::getInstance()->getDisplay() != nullptr)
                juce::X11Symbols::getInstance()->xSetErrorHandler ([] (::Display*, XErrorEvent*) { return 0; });
        }
    };

    [[maybe_unused]] auto* const ignoreXErrors = ::testing::AddGlobalTestEnvironment (new IgnoreXErrors());
}
