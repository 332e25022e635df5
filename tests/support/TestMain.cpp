// Every test binary runs with HOME pointing at a fresh temporary folder, and the editor's settings
// file in a folder of it, so nothing a test does (presets, favourites, settings) touches the real
// user folders or the machine-wide ones.
//
// The programs that open windows run each test case on an X server of its own, so that cases run
// side by side without sharing a pointer or a keyboard focus: the one ctest hands out as a
// "displays" resource (tools/run-tests.sh starts them), or else, with VASTREL_PRIVATE_DISPLAY set,
// one the program starts itself. Listing the tests needs neither the framework nor a display.

#include "support/PrivateDisplay.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    if (::testing::GTEST_FLAG (list_tests))
        return RUN_ALL_TESTS();

    std::string homeTemplate = "/tmp/vastrel-test-home-XXXXXX";

    if (mkdtemp (homeTemplate.data()) == nullptr || setenv ("HOME", homeTemplate.c_str(), 1) != 0)
        return 2;

    if (setenv ("VASTREL_SETTINGS_FOLDER", (homeTemplate + "/editor-settings").c_str(), 1) != 0)
        return 2;

    unsetenv ("XDG_CONFIG_HOME");

    std::unique_ptr<PrivateDisplay> display;

    if (const auto* allocated = std::getenv ("CTEST_RESOURCE_GROUP_0_DISPLAYS"))
    {
        // "id:<display number>,slots:1"
        const std::string resource (allocated);
        const auto number = resource.substr (3, resource.find (',') - 3);

        if (resource.rfind ("id:", 0) != 0 || setenv ("DISPLAY", (":" + number).c_str(), 1) != 0)
            return 2;
    }
    else if (std::getenv ("VASTREL_PRIVATE_DISPLAY") != nullptr)
    {
        display = std::make_unique<PrivateDisplay>();

        if (! display->isRunning())
            return 2;
    }

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        result = RUN_ALL_TESTS();
    }

    juce::File (homeTemplate).deleteRecursively();
    return result;
}
