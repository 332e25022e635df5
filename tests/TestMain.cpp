// Every test binary runs with HOME pointing at a fresh temporary folder, and the editor's settings
// file in a folder of it, so nothing a test does (presets, favourites, settings) touches the real
// user folders or the machine-wide ones.

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main (int argc, char** argv)
{
    std::string homeTemplate = "/tmp/vastrel-test-home-XXXXXX";

    if (mkdtemp (homeTemplate.data()) == nullptr || setenv ("HOME", homeTemplate.c_str(), 1) != 0)
        return 2;

    if (setenv ("VASTREL_SETTINGS_FOLDER", (homeTemplate + "/editor-settings").c_str(), 1) != 0)
        return 2;

    unsetenv ("XDG_CONFIG_HOME");

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    juce::File (homeTemplate).deleteRecursively();
    return result;
}
