#include "PresetBox.h"

#include "engine/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    /** Writes the whole text beside the file and moves it into place only once every byte is
        written, so a full disk or a failed write never leaves the old file cut short. Line feeds
        become CR LF; no byte-order mark.
    */
    bool replaceFileWithText (const juce::File& file, const juce::String& text)
    {
        juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);
        juce::int64 bytesToWrite = 0;

        {
            juce::FileOutputStream stream (temporary.getFile());

            if (! stream.openedOk() || ! stream.writeText (text, false, false, "\r\n"))
                return false;

            bytesToWrite = stream.getPosition();
        }

        // The stream does not report a short write when it flushes on closing; the size does.
        if (temporary.getFile().getSize() != bytesToWrite)
            return false;

        return temporary.overwriteTargetFileWithTemporary();
    }

    /** A root property as it stood, so that a failed save can put it back. */
    class RootPropertySnapshot
    {
    public:
        RootPropertySnapshot (juce::ValueTree treeToRestore, const juce::Identifier& propertyToRestore)
            : tree (std::move (treeToRestore)),
              property (propertyToRestore),
              existed (tree.hasProperty (property)),
              value (tree.getProperty (property))
        {
        }

        void restore()
        {
            if (existed)
                tree.setProperty (property, value, nullptr);
            else
                tree.removeProperty (property, nullptr);
        }

    private:
        juce::ValueTree tree;
        const juce::Identifier property;
        const bool existed;
        const juce::var value;
    };

    /** The default text format ends every line, the last too, in CR LF. */
    juce::String presetTextOf (const juce::ValueTree& state)
    {
        if (auto xml = state.createXml())
            return xml->toString();

        return {};
    }

    /** The tree a preset file holds, or an invalid tree when the text is no XML element. */
    juce::ValueTree treeFromText (const juce::String& text)
    {
        if (auto xml = juce::XmlDocument (text).getDocumentElement(); xml != nullptr && ! xml->isTextElement())
            return juce::ValueTree::fromXml (*xml);

        return {};
    }
}

//==============================================================================
juce::File NativePresetFileChooser::chooseFileToSave (const juce::String& title, const juce::File& initialFile, const juce::String& pattern)
{
    juce::FileChooser chooser (title, initialFile, pattern, true, false, nullptr);

    if (chooser.showDialog (juce::FileBrowserComponent::saveMode
                                | juce::FileBrowserComponent::canSelectFiles
                                | juce::FileBrowserComponent::warnAboutOverwriting,
                            nullptr))
        return chooser.getResult();

    return {};
}

juce::File NativePresetFileChooser::chooseFileToOpen (const juce::String& title, const juce::File& initialFolder, const juce::String& pattern)
{
    juce::FileChooser chooser (title, initialFolder, pattern, true, false, nullptr);

    if (chooser.showDialog (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles, nullptr))
        return chooser.getResult();

    return {};
}

//==============================================================================
FavoritesManager::FavoritesManager (const juce::File& folder)
    : presetFolder (folder),
      favoritesFile (folder.getChildFile ("Favorites.txt"))
{
    loadFavorites();
}

void FavoritesManager::loadFavorites()
{
    favorites.clear();

    if (! favoritesFile.existsAsFile())
        return;

    juce::StringArray lines;
    lines.addLines (favoritesFile.loadFileAsString());

    for (const auto& line : lines)
        if (const auto entry = line.trim(); entry.isNotEmpty())
            favorites.add (entry);
}

void FavoritesManager::toggleFavorite (const juce::File& presetFile)
{
    // Another instance may have rewritten the file since this one read it; starting from the
    // file keeps its changes.
    loadFavorites();

    const auto key = presetFile.getRelativePathFrom (presetFolder);

    if (favorites.contains (key))
        favorites.removeString (key);
    else
        favorites.add (key);

    saveFavorites();
}

void FavoritesManager::saveFavorites()
{
    juce::String text;

    for (const auto& entry : favorites)
        text << entry << "\n";

    replaceFileWithText (favoritesFile, text);
}

//==============================================================================
ProcessorPresetManager::ProcessorPresetManager (QuorlinAudioProcessor& processorToUse,
                                                juce::AudioProcessorValueTreeState& stateToUse,
                                                const juce::Identifier& modifiedId,
                                                const juce::Identifier& currentPresetId,
                                                const juce::File& folder,
                                                const juce::String& extension,
                                                std::unique_ptr<PresetFileChooser> chooser)
    : processor (&processorToUse),
      apvts (&stateToUse),
      modifiedPropertyId (modifiedId),
      currentPresetPropertyId (currentPresetId),
      presetFolder (folder),
      presetExtension (extension),
      fileChooser (std::move (chooser))
{
    if (! presetFolder.exists())
        presetFolder.createDirectory();

    apvts->state.setProperty (currentPresetPropertyId, "Default", nullptr);
    apvts->state.setProperty (modifiedPropertyId, false, nullptr);

    favoritesManager = std::make_unique<FavoritesManager> (presetFolder);

    if (const auto defaultPreset = presetFolder.getChildFile ("Default" + presetExtension); ! defaultPreset.existsAsFile())
        savePresetInternal (defaultPreset);
}

juce::File ProcessorPresetManager::defaultPresetFolder()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
        .getChildFile ("Application Support")
        .getChildFile ("Brassock Presets")
        .getChildFile ("VastrelV3");
}

void ProcessorPresetManager::setFileChooser (std::unique_ptr<PresetFileChooser> newChooser)
{
    fileChooser = std::move (newChooser);
}

juce::String ProcessorPresetManager::filePattern() const
{
    return "*" + presetExtension;
}

void ProcessorPresetManager::savePresetInternal (juce::File file)
{
    if (file == juce::File())
    {
        file = fileChooser->chooseFileToSave ("Choose output file location...",
                                              presetFolder.getNonexistentChildFile ("New Preset", presetExtension),
                                              filePattern());

        if (file == juce::File())
            return;
    }

    RootPropertySnapshot previousName (apvts->state, currentPresetPropertyId);
    RootPropertySnapshot previousFlag (apvts->state, modifiedPropertyId);

    // Set before the text is made, so that the file holds its own name and a clear flag.
    apvts->state.setProperty (currentPresetPropertyId, file.getFileNameWithoutExtension(), nullptr);
    apvts->state.setProperty (modifiedPropertyId, false, nullptr);

    // copyState() flushes the newest parameter values into the tree first. The old file survives
    // a failed write, and so do the name and flag it was saved under.
    if (! replaceFileWithText (file, presetTextOf (apvts->copyState())))
    {
        previousFlag.restore();
        previousName.restore();
    }
}

void ProcessorPresetManager::loadPreset (juce::File file)
{
    if (file == juce::File() || ! file.exists())
    {
        file = fileChooser->chooseFileToOpen ("Choose preset...", presetFolder, filePattern());

        if (file == juce::File())
            return;
    }

    if (const auto preset = treeFromText (file.loadFileAsString()); preset.isValid())
    {
        apvts->replaceState (stateFromPreset (preset));
        return;
    }

    juce::FileInputStream stream (file);

    if (! stream.openedOk())
        return;

    juce::MemoryBlock block;
    stream.readIntoMemoryBlock (block);
    processor->setStateInformation (block.getData(), (int) block.getSize());
}

juce::ValueTree ProcessorPresetManager::stateFromPreset (const juce::ValueTree& preset) const
{
    juce::ValueTree state (apvts->state.getType());

    // Properties that both trees hold keep their places in the live tree's order.
    state.copyPropertiesFrom (apvts->state, nullptr);

    for (auto i = state.getNumProperties(); --i >= 0;)
        if (const auto name = state.getPropertyName (i); ! preset.hasProperty (name))
            state.removeProperty (name, nullptr);

    for (auto i = 0; i < preset.getNumProperties(); ++i)
    {
        const auto name = preset.getPropertyName (i);
        state.setProperty (name, preset.getProperty (name), nullptr);
    }

    for (const auto& child : preset)
        state.appendChild (child.createCopy(), nullptr);

    // Swapped in whole, the tree connects every parameter to one of its children; a parameter
    // the preset lacks would otherwise fall back to its default.
    return processor->withEveryParameter (state);
}
