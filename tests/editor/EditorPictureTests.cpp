// Pictures of the whole editor for a person to look at: at the smallest, the default and the
// design size, powered on and off, with the about box open and with the preset browser open.

#include "support/EditorWindowSupport.h"

using namespace EditorWindowSupport;

namespace
{
    class EditorPictures : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();

            // Some signal on the meters and a prepared rate for the info line.
            processor->setRateAndBufferSizeDetails (48000.0, 512);
            processor->gainReductionNeedle = 0.72f;
            processor->outputLevelLeft.level = 0.45f;
            processor->outputLevelRight.level = 0.3f;
            automate ("os", 2.0f);
            open();
            editor->topBarMeter.timerCallback();
        }

        void showAt (int width)
        {
            editor->setSize (width, (int) std::lround (width * 852.0 / 1100.0));
        }

        void save (const juce::String& name)
        {
            EditorTestSupport::savePicture (editor->createComponentSnapshot (editor->getLocalBounds()), name);
        }
    };
}

TEST_F (EditorPictures, PoweredOnAndOff)
{
    for (const auto width : { 550, 825, 1100 })
    {
        showAt (width);
        automate ("poweR power", 1.0f);
        editor->timerCallback();
        save ("editor-" + juce::String (width));

        automate ("poweR power", 0.0f);
        editor->timerCallback();
        ASSERT_TRUE (editor->bypassOverlayShown);
        save ("editor-" + juce::String (width) + "-power-off");
    }
}

TEST_F (EditorPictures, AboutBoxOpen)
{
    for (const auto width : { 825, 1100 })
    {
        showAt (width);
        ASSERT_TRUE (editor->logoButton.onClick != nullptr);
        editor->logoButton.onClick();
        save ("editor-" + juce::String (width) + "-about");
    }
}

TEST_F (EditorPictures, PresetBrowserOpen)
{
    editor->setTopLeftPosition (60, 60);
    editor->addToDesktop (0);
    editor->setVisible (true);

    auto& selector = editor->presetSelector->selector;
    selector.showMenu();
    EXPECT_TRUE (runPendingMessages());
    ASSERT_NE (selector.menu, nullptr);

    auto& menu = *selector.menu;
    auto& list = *menu.subMenu;
    const auto area = editor->getScreenBounds().getUnion (menu.getScreenBounds()).getUnion (list.getScreenBounds());
    juce::Image picture (juce::Image::ARGB, area.getWidth(), area.getHeight(), true);

    {
        juce::Graphics g (picture);
        const auto at = [&] (juce::Component& c) { return c.getScreenPosition() - area.getPosition(); };

        g.drawImageAt (editor->createComponentSnapshot (editor->getLocalBounds()), at (*editor).x, at (*editor).y);

        for (auto* window : { static_cast<juce::Component*> (&menu), static_cast<juce::Component*> (&list) })
            if (window->isVisible())
                g.drawImageAt (window->createComponentSnapshot (window->getLocalBounds()), at (*window).x, at (*window).y);
    }

    EditorTestSupport::savePicture (picture, "editor-825-browser");

    selector.hideMenu();
    editor->removeFromDesktop();
}
