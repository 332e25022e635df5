#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>
#include <vector>

class PresetFolderListing;
class QuorlinAudioProcessor;

/** Asks the user for a preset file. The manager goes through this so that tests can answer for
    the user; the real one shows the system's file dialogs.

    Both questions return at once and answer later, on the message thread: onChosen gets the
    confirmed file, or an empty file when the user cancels. A new question replaces one still
    open, and destroying the chooser closes an open one; neither answers then.
*/
class PresetFileChooser
{
public:
    using Answer = std::function<void (const juce::File&)>;

    virtual ~PresetFileChooser() = default;

    virtual void chooseFileToSave (const juce::String& title, const juce::File& initialFile, const juce::String& pattern, Answer onChosen) = 0;
    virtual void chooseFileToOpen (const juce::String& title, const juce::File& initialFolder, const juce::String& pattern, Answer onChosen) = 0;
};

/** The system's file dialogs, run asynchronously so that the host's message loop goes on while
    one is open. Without the system's own dialogs, or when told not to use them, the framework's
    dialog box stands in.
*/
class NativePresetFileChooser final : public PresetFileChooser
{
public:
    explicit NativePresetFileChooser (bool useSystemDialogs = true);

    void chooseFileToSave (const juce::String& title, const juce::File& initialFile, const juce::String& pattern, Answer onChosen) override;
    void chooseFileToOpen (const juce::String& title, const juce::File& initialFolder, const juce::String& pattern, Answer onChosen) override;

private:
    void launch (const juce::String& title, const juce::File& initialFile, const juce::String& pattern, int flags, Answer onChosen);

    const bool useSystemDialogs;
    std::unique_ptr<juce::FileChooser> chooser;
};

/** The list of favourite presets and its file, "Favorites.txt" in the preset folder.

    Each entry is a preset file's path relative to the preset folder. Several plug-in instances
    share the file, so every toggle starts from what is on disk.
*/
class FavoritesManager
{
public:
    /** Reads the favourites file of the folder. */
    explicit FavoritesManager (const juce::File& presetFolder);

    /** Replaces favorites with the trimmed, non-empty lines of the favourites file. False when
        something is there that cannot be read as a list (a folder or anything else that is no
        regular file, or a file far too large): the list is then empty.
    */
    bool loadFavorites();

    /** Adds the preset to the favourites, or removes every entry of it, and rewrites the file.
        A file that cannot be read as a list is neither changed nor replaced.
    */
    void toggleFavorite (const juce::File& presetFile);

    /** Rewrites the favourites file from favorites, one entry per line. */
    void saveFavorites();

    /** Whether the list, as last read, holds the preset. */
    bool isFavorite (const juce::File& presetFile) const;

    /** isFavorite for each file, in one pass over the list. */
    std::vector<bool> areFavorites (const std::vector<juce::File>& presetFiles) const;

    juce::File presetFolder;
    juce::File favoritesFile;
    juce::StringArray favorites;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FavoritesManager)
};

/** Writes the parameter state into preset files and reads them back.

    The current preset's name and the modified flag live as root properties of the parameter
    tree, so they travel with every preset, host state and snapshot.
*/
class ProcessorPresetManager
{
public:
    /** Sets up the preset folder, the current-preset properties and the favourites, and writes
        "Default" when the folder has none.
    */
    ProcessorPresetManager (QuorlinAudioProcessor& processor,
                            juce::AudioProcessorValueTreeState& apvts,
                            const juce::Identifier& modifiedPropertyId,
                            const juce::Identifier& currentPresetPropertyId,
                            const juce::File& presetFolder,
                            const juce::String& presetExtension,
                            std::unique_ptr<PresetFileChooser> fileChooser = std::make_unique<NativePresetFileChooser>());

    ~ProcessorPresetManager();

    /** Writes the current state as a preset named after the file. An empty file asks for one
        first and saves once the user has chosen it; a cancel changes nothing. When the file cannot
        be written, the current name and flag stay as they were.
    */
    void savePresetInternal (juce::File file);

    /** Replaces the state with a preset file's. An empty or missing file asks for one first and
        loads it once the user has chosen it; a cancel changes nothing.
    */
    void loadPreset (juce::File file);

    /** The current preset's name, empty when there is none. */
    juce::String getCurrentPresetName() const;

    /** Whether the settings have changed since the current preset was loaded or saved, as the
        loaded state says.
    */
    bool isCurrentPresetModified() const;

    /** Leaves no preset current: the name empty and the modified flag off. */
    void forgetCurrentPreset();

    /** The file the current preset was last loaded from or saved to, while presetName is still
        the name that load or save gave it; an empty file otherwise, or when it is gone.
    */
    juce::File sourceFileOf (const juce::String& presetName) const;

    /** Replaces the dialogs, so that tests can answer them. */
    void setFileChooser (std::unique_ptr<PresetFileChooser> newChooser);

    /** The preset folder of the current user. */
    static juce::File defaultPresetFolder();

    QuorlinAudioProcessor* processor;
    juce::AudioProcessorValueTreeState* apvts;
    const juce::Identifier modifiedPropertyId;
    const juce::Identifier currentPresetPropertyId;
    const juce::File presetFolder;
    const juce::String presetExtension;
    std::unique_ptr<FavoritesManager> favoritesManager;

private:
    /** The tree a preset's tree loads as: the live tree's type with the preset's properties and
        children.
    */
    juce::ValueTree stateFromPreset (const juce::ValueTree& preset) const;

    juce::String filePattern() const;

    void writePreset (const juce::File& file);
    void readPreset (const juce::File& file);

    std::unique_ptr<PresetFileChooser> fileChooser;

    // What was listed of the preset folder is kept while an instance lives, so that an editor
    // opened again finds it.
    juce::SharedResourcePointer<PresetFolderListing> keptListings;

    juce::File sourceFile;
    juce::String sourceName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessorPresetManager)
};
