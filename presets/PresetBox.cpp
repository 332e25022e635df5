#include "PresetBox.h"

#include "engine/PluginProcessor.h"
#include "engine/StateValidation.h"
#include "engine/XmlPreParseCheck.h"
#include "PresetFolderListing.h"
#include "RegularFiles.h"
#include "StringHash.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <unordered_set>

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

    // A preset is a few kilobytes.
    constexpr juce::int64 largestPresetFile = 1 << 20;

    // Two million favourites or so; anything larger is no list of them.
    constexpr juce::int64 largestFavoritesFile = 64 << 20;

    /** The text of a preset file's bytes, or nothing when they are not UTF-8 (or UTF-16 with a
        byte-order mark). The framework would read such bytes one character per byte instead, and
        the preset would load with its names changed.
    */
    juce::String presetTextOf (const juce::MemoryBlock& bytes)
    {
        if (bytes.isEmpty())
            return {};

        const auto* data = static_cast<const char*> (bytes.getData());
        const auto size = bytes.getSize();
        const auto isUtf16 = size >= 2 && (juce::CharPointer_UTF16::isByteOrderMarkBigEndian (data)
                                            || juce::CharPointer_UTF16::isByteOrderMarkLittleEndian (data));
        const auto* textEnd = static_cast<const char*> (std::memchr (data, 0, size));
        const auto textSize = textEnd != nullptr ? (size_t) (textEnd - data) : size;

        if (! isUtf16 && ! StateValidation::isValidUtf8 (data, textSize))
            return {};

        return juce::String::createStringFromData (data, (int) size);
    }

    void removeTextElements (juce::XmlElement& element)
    {
        element.deleteAllTextElements();

        for (auto* child : element.getChildIterator())
            removeTextElements (*child);
    }

    /** The framework reads an attribute named "base64:" as a property without a name, which
        no stored form can carry.
    */
    bool hasNamelessAttribute (const juce::XmlElement& element)
    {
        for (int i = 0; i < element.getNumAttributes(); ++i)
            if (element.getAttributeName (i) == "base64:")
                return true;

        for (const auto* child : element.getChildIterator())
            if (hasNamelessAttribute (*child))
                return true;

        return false;
    }

    /** The tree a preset file holds, or an invalid tree when the text is no XML element that
        the parser can read quickly, or one that would not become a whole tree.
    */
    juce::ValueTree treeFromText (const juce::String& text)
    {
        // A hand-edited or damaged file can make the framework's parser hang, read past the end
        // or exhaust the stack; such a text is refused before it gets there.
        if (! XmlPreParseCheck::isSafeToParse (text))
            return {};

        auto xml = juce::XmlDocument (text).getDocumentElement();

        if (xml == nullptr || xml->isTextElement() || hasNamelessAttribute (*xml))
            return {};

        // A tree has no text; what a hand edit left between the elements is passed over.
        removeTextElements (*xml);
        return juce::ValueTree::fromXml (*xml);
    }
}

//==============================================================================
NativePresetFileChooser::NativePresetFileChooser (bool useSystem)
    : useSystemDialogs (useSystem)
{
}

void NativePresetFileChooser::chooseFileToSave (const juce::String& title, const juce::File& initialFile, const juce::String& pattern, Answer onChosen)
{
    launch (title, initialFile, pattern,
            juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles | juce::FileBrowserComponent::warnAboutOverwriting,
            std::move (onChosen));
}

void NativePresetFileChooser::chooseFileToOpen (const juce::String& title, const juce::File& initialFolder, const juce::String& pattern, Answer onChosen)
{
    launch (title, initialFolder, pattern, juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles, std::move (onChosen));
}

void NativePresetFileChooser::launch (const juce::String& title, const juce::File& initialFile, const juce::String& pattern, int flags, Answer onChosen)
{
    // The chooser closes the dialog it replaces without answering.
    chooser = std::make_unique<juce::FileChooser> (title, initialFile, pattern, useSystemDialogs, false, nullptr);
    chooser->launchAsync (flags, [onChosen = std::move (onChosen)] (const juce::FileChooser& closed)
    {
        if (onChosen)
            onChosen (closed.getResult());
    });
}

//==============================================================================
FavoritesManager::FavoritesManager (const juce::File& folder)
    : presetFolder (folder),
      favoritesFile (folder.getChildFile ("Favorites.txt"))
{
    loadFavorites();
}

bool FavoritesManager::loadFavorites()
{
    favorites.clear();

    if (RegularFiles::kindOf (favoritesFile) == RegularFiles::Kind::missing)
        return true;

    const auto bytes = RegularFiles::read (favoritesFile, largestFavoritesFile);

    if (! bytes.has_value())
        return false;

    juce::StringArray lines;
    lines.addLines (juce::String::createStringFromData (bytes->getData(), (int) bytes->getSize()));

    for (const auto& line : lines)
        if (const auto entry = line.trim(); entry.isNotEmpty())
            favorites.add (entry);

    return true;
}

void FavoritesManager::toggleFavorite (const juce::File& presetFile)
{
    // Another instance may have rewritten the file since this one read it; starting from the
    // file keeps its changes. A file that cannot be read as a list is left as it is.
    if (! loadFavorites())
        return;

    const auto key = presetFile.getRelativePathFrom (presetFolder);

    if (favorites.contains (key))
    {
        // In one pass: removing the repeats one at a time moves the rest of the list each time.
        juce::StringArray kept;
        kept.ensureStorageAllocated (favorites.size());

        for (const auto& entry : favorites)
            if (entry != key)
                kept.add (entry);

        favorites = std::move (kept);
    }
    else
    {
        favorites.add (key);
    }

    saveFavorites();
}

bool FavoritesManager::isFavorite (const juce::File& presetFile) const
{
    return presetFile != juce::File() && favorites.contains (presetFile.getRelativePathFrom (presetFolder));
}

std::vector<bool> FavoritesManager::areFavorites (const std::vector<juce::File>& presetFiles) const
{
    const std::unordered_set<juce::String, StringHash> entries (favorites.begin(), favorites.end());
    std::vector<bool> result;
    result.reserve (presetFiles.size());

    for (const auto& file : presetFiles)
        result.push_back (file != juce::File() && entries.count (file.getRelativePathFrom (presetFolder)) > 0);

    return result;
}

void FavoritesManager::saveFavorites()
{
    // Joined in one go: appending entry by entry copies the text so far each time.
    const auto text = favorites.isEmpty() ? juce::String() : favorites.joinIntoString ("\n") + "\n";
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

    const auto defaultPreset = presetFolder.getChildFile ("Default" + presetExtension);

    if (! defaultPreset.existsAsFile())
        savePresetInternal (defaultPreset);

    // The "Default" every instance starts with is the top-level one, also beside other presets
    // of that name.
    sourceFile = defaultPreset;
    sourceName = "Default";
}

ProcessorPresetManager::~ProcessorPresetManager() = default;

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
    if (file != juce::File())
    {
        writePreset (file);
        return;
    }

    fileChooser->chooseFileToSave ("Choose output file location...",
                                   presetFolder.getNonexistentChildFile ("New Preset", presetExtension),
                                   filePattern(),
                                   [this] (const juce::File& chosen)
                                   {
                                       if (chosen != juce::File())
                                           writePreset (chosen);
                                   });
}

void ProcessorPresetManager::writePreset (const juce::File& file)
{
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
        return;
    }

    sourceFile = file;
    sourceName = file.getFileNameWithoutExtension();
}

void ProcessorPresetManager::loadPreset (juce::File file)
{
    if (file != juce::File() && file.exists())
    {
        readPreset (file);
        return;
    }

    // A chosen file that has gone by then loads nothing; asking again would only loop.
    fileChooser->chooseFileToOpen ("Choose preset...", presetFolder, filePattern(), [this] (const juce::File& chosen)
    {
        if (chosen != juce::File())
            readPreset (chosen);
    });
}

void ProcessorPresetManager::readPreset (const juce::File& file)
{
    // Anything far larger than a preset is none, and would only keep the message thread busy;
    // what is no regular file could block the read or never end it.
    const auto bytes = RegularFiles::read (file, largestPresetFile);

    if (! bytes.has_value())
        return;

    // Every load that takes replaces the state tree.
    const auto stateBefore = apvts->state;

    if (const auto preset = treeFromText (presetTextOf (*bytes)); preset.isValid())
        processor->loadTree (stateFromPreset (preset));
    else
        processor->setStateInformation (bytes->getData(), (int) bytes->getSize());

    if (apvts->state != stateBefore)
    {
        sourceFile = file;
        sourceName = apvts->state.getProperty (currentPresetPropertyId).toString();
    }
}

juce::String ProcessorPresetManager::getCurrentPresetName() const
{
    return apvts->state.getProperty (currentPresetPropertyId).toString();
}

bool ProcessorPresetManager::isCurrentPresetModified() const
{
    return (bool) apvts->state.getProperty (modifiedPropertyId);
}

void ProcessorPresetManager::forgetCurrentPreset()
{
    apvts->state.setProperty (currentPresetPropertyId, juce::String(), nullptr);
    apvts->state.setProperty (modifiedPropertyId, false, nullptr);
}

juce::File ProcessorPresetManager::sourceFileOf (const juce::String& presetName) const
{
    if (presetName.isNotEmpty() && presetName == sourceName && sourceFile.existsAsFile())
        return sourceFile;

    return {};
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

    return state;
}
