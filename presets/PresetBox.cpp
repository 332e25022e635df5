#include "PresetBox.h"

#include "engine/PluginProcessor.h"
#include "engine/StateValidation.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <cctype>
#include <cstring>

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

    // A preset is a few kilobytes and two levels deep.
    constexpr juce::int64 largestPresetFile = 1 << 20;
    constexpr int deepestElement = 16;
    constexpr int mostAttributes = 256;

    bool isXmlNameCharacter (char c) noexcept
    {
        return static_cast<unsigned char> (c) >= 0x80
                || juce::CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == '-' || c == ':' || c == '.';
    }

    /** True when every '&' starts one of the entities that XML itself defines. For any other the
        parser jumps to the next ';' wherever that is, even out of a quoted value, and reads text
        that begins with '<' as elements.
    */
    bool hasOnlyStandardEntities (const char* p, const char* end) noexcept
    {
        const auto runOf = [&] (const char* from, auto isWanted, int longest)
        {
            int length = 0;

            while (from + length < end && length <= longest && isWanted (from[length]))
                ++length;

            return length;
        };

        for (; (p = static_cast<const char*> (std::memchr (p, '&', (size_t) (end - p)))) != nullptr; ++p)
        {
            const auto* name = p + 1;
            const auto remaining = (size_t) (end - name);
            // The parser compares these names without regard to case.
            const auto isNamed = [&] (const char* entity)
            {
                const auto length = std::strlen (entity);
                return remaining >= length
                        && std::equal (entity, entity + length, name,
                                       [] (char a, char b) { return a == (char) std::tolower ((unsigned char) b); });
            };

            if (isNamed ("amp;") || isNamed ("lt;") || isNamed ("gt;") || isNamed ("quot;") || isNamed ("apos;"))
                continue;

            if (remaining < 3 || name[0] != '#')
                return false;

            const auto hex = name[1] == 'x' || name[1] == 'X';
            const auto* digits = name + (hex ? 2 : 1);
            const auto numDigits = hex ? runOf (digits, [] (char c) { return juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) c) >= 0; }, 8)
                                       : runOf (digits, [] (char c) { return c >= '0' && c <= '9'; }, 12);

            if (numDigits == 0 || numDigits > (hex ? 8 : 12) || digits + numDigits >= end || digits[numDigits] != ';')
                return false;
        }

        return true;
    }

    /** Whether the framework's XML parser can read the text quickly and safely. It reads past the
        end of malformed UTF-8, loops for ever on a processing instruction followed by text inside
        an element, recurses once per level of nesting, expands the entities of a document type,
        and slows down with the square of an element's attribute count. With only the standard
        entities in the text, the scan can follow the parser's own reading of tags and quoted
        values; it errs on the side of refusing.
    */
    bool isSafeToParse (const juce::String& text)
    {
        const auto* p = text.toRawUTF8();
        const auto* const end = p + std::strlen (p);

        if (! StateValidation::isValidUtf8 (p, (size_t) (end - p)) || ! hasOnlyStandardEntities (p, end))
            return false;

        const auto startsWith = [&] (const char* at, const char* prefix)
        {
            const auto length = std::strlen (prefix);
            return (size_t) (end - at) >= length && std::memcmp (at, prefix, length) == 0;
        };

        // The position just after the next occurrence of the marker, or the end.
        const auto after = [&] (const char* from, const char* marker)
        {
            const auto length = std::strlen (marker);

            for (; from + length <= end; ++from)
                if (std::memcmp (from, marker, length) == 0)
                    return from + length;

            return end;
        };

        const auto skipSpace = [&] (const char* from)
        {
            while (from < end && juce::CharacterFunctions::isWhitespace (*from))
                ++from;

            return from;
        };

        const auto skipName = [&] (const char* from)
        {
            while (from < end && isXmlNameCharacter (*from))
                ++from;

            return from;
        };

        // Inside a tag the parser passes over comments and instructions as it does over spaces.
        const auto skipParserSpace = [&] (const char* from)
        {
            for (;;)
            {
                from = skipSpace (from);

                if (startsWith (from, "<!--"))      from = after (from + 4, "-->");
                else if (startsWith (from, "<?"))   from = after (from + 2, "?>");
                else                                return from;
            }
        };

        // One whole character, as the parser reads it.
        const auto nextCharacter = [&] (const char* from)
        {
            const auto lead = static_cast<unsigned char> (*from);
            const auto length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
            return juce::jmin (end, from + length);
        };

        int depth = 0;
        bool insideRoot = false;

        while (p < end)
        {
            if (*p != '<')
            {
                ++p;
                continue;
            }

            if (startsWith (p, "<!--"))        { p = after (p + 4, "-->"); continue; }
            if (startsWith (p, "<![CDATA["))   { p = after (p + 9, "]]>"); continue; }

            // Document types, and the entities they declare, have no place in a preset.
            if (startsWith (p, "<!"))
                return false;

            if (startsWith (p, "<?"))
            {
                if (insideRoot)
                    return false;

                p = after (p + 2, "?>");
                continue;
            }

            if (startsWith (p, "</"))
            {
                depth = juce::jmax (0, depth - 1);
                p = after (p + 2, ">");
                continue;
            }

            insideRoot = true;
            const auto* nameStart = p + 1;
            p = skipName (nameStart);

            // Without a name right after the '<' the parser looks for one further on; without one
            // there it makes no element.
            if (p == nameStart)
            {
                nameStart = skipParserSpace (nameStart);
                p = skipName (nameStart);

                if (p == nameStart)
                    continue;
            }

            // The parser builds elements and attributes from any run of name characters, but a
            // name that is no XML name is an error to the framework. Presets use plain names.
            if (! StateValidation::isPlainName (nameStart, p))
                return false;

            // The parser opens an element only when its tag ends in a plain '>'; any other
            // trouble in the tag leaves an element without children.
            for (int attributes = 0;; ++attributes)
            {
                p = skipParserSpace (p);

                if (p < end && *p == '>')
                {
                    ++p;

                    if (++depth > deepestElement)
                        return false;

                    break;
                }

                if (attributes == mostAttributes)
                    return false;

                if (p >= end || ! isXmlNameCharacter (*p))
                    break;

                const auto* attributeStart = p;
                p = skipName (p);

                if (! StateValidation::isPlainName (attributeStart, p))
                    return false;

                p = skipParserSpace (p);

                // The parser takes the next character, whatever it is, before it looks at it.
                const auto isEquals = p < end && *p == '=';
                p = p < end ? nextCharacter (p) : p;

                if (! isEquals)
                    break;

                p = skipParserSpace (p);

                if (p >= end || (*p != '"' && *p != '\''))
                    break;

                const char quote[] = { *p, 0 };
                p = after (p + 1, quote);
            }
        }

        return true;
    }

    /** The file's text, or nothing when its bytes are not UTF-8 (or UTF-16 with a byte-order
        mark). The framework would read such bytes one character per byte instead, and the preset
        would load with its names changed.
    */
    juce::String presetTextOf (const juce::File& file)
    {
        juce::MemoryBlock bytes;

        if (! file.loadFileAsData (bytes) || bytes.isEmpty())
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
        if (! isSafeToParse (text))
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

bool FavoritesManager::isFavorite (const juce::File& presetFile) const
{
    return presetFile != juce::File() && favorites.contains (presetFile.getRelativePathFrom (presetFolder));
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

    const auto defaultPreset = presetFolder.getChildFile ("Default" + presetExtension);

    if (! defaultPreset.existsAsFile())
        savePresetInternal (defaultPreset);

    // The "Default" every instance starts with is the top-level one, also beside other presets
    // of that name.
    sourceFile = defaultPreset;
    sourceName = "Default";
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
    // Anything far larger than a preset is none, and would only keep the message thread busy.
    if (file.getSize() > largestPresetFile)
        return;

    // Every load that takes replaces the state tree.
    const auto stateBefore = apvts->state;

    if (const auto preset = treeFromText (presetTextOf (file)); preset.isValid())
    {
        processor->loadTree (stateFromPreset (preset));
    }
    else
    {
        juce::FileInputStream stream (file);

        if (! stream.openedOk())
            return;

        juce::MemoryBlock block;
        stream.readIntoMemoryBlock (block);
        processor->setStateInformation (block.getData(), (int) block.getSize());
    }

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
