// The check a preset's text passes before the framework's XML parser reads it. Each row is a
// text, whether the parser may have it, and what the row shows; every scanning step has its
// own table.

#include "engine/XmlPreParseCheck.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace
{
    struct Row
    {
        const char* what;
        std::string text;
        bool accepted;
    };

    constexpr bool accepted = true;
    constexpr bool refused = false;

    /** The bytes as they are, even where they are no UTF-8. */
    juce::String textOf (const std::string& bytes)
    {
        return { juce::CharPointer_UTF8 (bytes.data()), juce::CharPointer_UTF8 (bytes.data() + bytes.size()) };
    }

    std::string repeated (const std::string& piece, int times)
    {
        std::string text;

        for (int i = 0; i < times; ++i)
            text += piece;

        return text;
    }

    /** A preset file as the plug-in writes it, with the given text inside the root. */
    std::string preset (const std::string& inside)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n"
               "<VastrelV3 Current_Selected_Preset=\"Warm\" Preset_Has_Been_Modified=\"0\">\r\n"
               + inside + "</VastrelV3>\r\n";
    }

    /** An element with the given number of attributes, a0="1" a1="1" and so on, then the end. */
    std::string elementWithAttributes (int count, const std::string& tagEnd)
    {
        std::string text = "<a";

        for (int i = 0; i < count; ++i)
            text += " a" + std::to_string (i) + "=\"1\"";

        return text + tagEnd;
    }

    void expectDecisions (std::initializer_list<Row> rows)
    {
        for (const auto& row : rows)
            EXPECT_EQ (XmlPreParseCheck::isSafeToParse (textOf (row.text)), row.accepted) << row.what;
    }
}

TEST (XmlPreParseCheck, TakesPresetsAsThePlugInWritesThem)
{
    expectDecisions ({
        { "a preset as saved",                preset ("  <PARAM id=\"knob1\" value=\"6.0\"/>\r\n  <PARAM id=\"knob8\" value=\"-3.0\"/>\r\n"), accepted },
        { "an empty text",                    "", accepted },
        { "words without any element",        "no markup at all", accepted },
    });
}

TEST (XmlPreParseCheck, RefusesTextThatIsNoUtf8)
{
    expectDecisions ({
        { "a lead byte without its continuation", "<a v=\"\xc3(\"/>", refused },
        { "a surrogate",                          "<a v=\"\xed\xa0\x80\"/>", refused },
        { "an overlong '/'",                      "<a v=\"\xc0\xaf\"/>", refused },
        { "a code point past U+10FFFF",           "<a v=\"\xf4\x90\x80\x80\"/>", refused },
        { "a character cut off by the end",       "<a v=\"1\"/>\xf0", refused },
        { "a stray continuation byte in text",    "<a>\x80</a>", refused },
        { "two-, three- and four-byte characters", "<a v=\"\xc3\xa9\xe6\x97\xa5\xf0\x9f\x8e\xb8\">\xc3\xa9</a>", accepted },
    });
}

TEST (XmlPreParseCheck, TakesOnlyTheEntitiesXmlDefines)
{
    expectDecisions ({
        { "the five named entities",           "<a v=\"&amp;&lt;&gt;&quot;&apos;\"/>", accepted },
        { "named entities in capitals",        "<a v=\"&AMP;&Lt;&gT;&QUOT;&Apos;\"/>", accepted },
        { "named entities in text",            "<a>1 &lt; 2 &amp;&amp; 3 &gt; 2</a>", accepted },
        { "a decimal reference",               "<a v=\"&#65;\"/>", accepted },
        { "hexadecimal references, x and X",   "<a v=\"&#x41;&#X41;&#xfF;\"/>", accepted },
        { "twelve decimal digits",             "<a v=\"&#000000000065;\"/>", accepted },
        { "thirteen decimal digits",           "<a v=\"&#0000000000065;\"/>", refused },
        { "eight hexadecimal digits",          "<a v=\"&#x00000041;\"/>", accepted },
        { "nine hexadecimal digits",           "<a v=\"&#x000000041;\"/>", refused },
        { "a reference without digits",        "<a v=\"&#;\"/>", refused },
        { "a hexadecimal one without digits",  "<a v=\"&#x;\"/>", refused },
        { "a letter after the digits",         "<a v=\"&#12a;\"/>", refused },
        { "a hexadecimal letter in decimal",   "<a v=\"&#1f;\"/>", refused },
        { "a reference the end cuts off",      "<a/>&#65", refused },
        { "'&#' and one digit at the end",     "<a/>&#6", refused },
        { "a named entity without its ';'",    "<a v=\"&amp x\"/>", refused },
        { "an entity XML does not define",     "<a v=\"&nbsp;\"/>", refused },
        { "a bare '&'",                        "<a v=\"salt & pepper\"/>", refused },
        { "a '&' as the last character",       "<a/>&", refused },
        { "a '&' inside a comment",            "<!-- salt & pepper --><a/>", refused },
        { "a '&' inside character data",       "<a><![CDATA[ & ]]></a>", refused },
        { "an entity that would jump out of a value", "<a v=\"a&b\"/>x;\"<?pi?>y", refused },
    });
}

TEST (XmlPreParseCheck, PassesOverCommentsAndSectionsAndRefusesDocumentTypes)
{
    const auto twentyDeep = repeated ("<a>", 20);

    expectDecisions ({
        { "a comment before the root",            "<!-- saved by hand -->\r\n<a/>", accepted },
        { "markup inside a comment is no markup", preset ("<!-- <?pi?> <!DOCTYPE a> " + twentyDeep + " -->"), accepted },
        { "a comment left open runs to the end",  "<a><!-- <?pi?>" + twentyDeep, accepted },
        { "markup inside character data is none", preset ("<![CDATA[ <?pi?> <!DOCTYPE a> " + twentyDeep + " ]]>"), accepted },
        { "character data left open runs to the end", "<a><![CDATA[ <?pi?>", accepted },
        { "a document type",                      "<?xml version=\"1.0\"?>\n<!DOCTYPE a>\n<a/>", refused },
        { "a document type declaring an entity",  "<!DOCTYPE v [<!ENTITY e \"12\">]>\n<a v=\"1\"/>", refused },
        { "a declaration inside the root",        "<a><!ELEMENT a ANY></a>", refused },
        { "'<!-' that opens no comment",          "<a><!- x -></a>", refused },
        { "'<![CDATA' without its bracket",       "<a><![CDATA x ]]></a>", refused },
    });
}

TEST (XmlPreParseCheck, TakesInstructionsOnlyBeforeTheRoot)
{
    expectDecisions ({
        { "the XML declaration and an instruction", "<?xml version=\"1.0\"?><?style x?>\r\n<a/>", accepted },
        { "an instruction left open hides the rest", "<?xml version=\"1.0\" <a>x<?pi", accepted },
        { "an instruction inside the root",          "<a><?pi?></a>", refused },
        { "an instruction followed by text",         preset ("x<?pi?>y"), refused },
        { "an instruction inside a child",           preset ("<PARAM id=\"knob1\"><?pi?>text</PARAM>"), refused },
        { "an instruction after the root closed",    "<a></a><?pi?>", refused },
        { "an instruction after a self-closed root", "<a/><?pi?>", refused },
        { "a '<' that opens no element begins the root", "< ><?pi?>", refused },
        { "an instruction inside a tag is as a space", "<a <?pi?> v=\"1\"/>", accepted },
        { "a comment inside a tag is as a space",    "<a <!-- c --> v=\"1\"></a>", accepted },
    });
}

TEST (XmlPreParseCheck, TakesOnlyPlainNames)
{
    expectDecisions ({
        { "names of letters, digits, '_', ':', '-' and '.'", "<_a:b-c.1 B_2:x-y.z=\"1\"/><:a/>", accepted },
        { "an element name starting with a digit",  "<1a/>", refused },
        { "an element name starting with '-'",      "<-a/>", refused },
        { "an element name starting with '.'",      "<.a/>", refused },
        { "an element name with a non-ASCII letter", "<\xc3\xa9t\xc3\xa9/>", refused },
        { "space between '<' and the name",         "< a v=\"<?pi?>\"/>", accepted },
        { "a name found further on is checked too", "< <!-- c -->-a/>", refused },
        { "a '<' in text before a number",          "<a>1 < 2</a>", refused },
        { "a '<' with no name after it",            "<a>< ></a>", accepted },
        { "an attribute name starting with a digit", "<a 1b=\"1\"/>", refused },
        { "an attribute name with a non-ASCII letter", "<a b\xc3\xa9=\"1\"/>", refused },
        { "a closing tag's name is not read",       "<a></1a>", accepted },
    });
}

TEST (XmlPreParseCheck, FollowsQuotedValuesAsTheParserDoes)
{
    expectDecisions ({
        { "an instruction inside a double-quoted value", "<a v=\"<?pi?>\"/>", accepted },
        { "an instruction inside a single-quoted value", "<a v='<?pi?>'/>", accepted },
        { "the other quote does not end a value",   "<a v='\"<?pi?>' w=\"'<?pi?>\"/>", accepted },
        { "'>' and '/>' inside a value",            "<a v=\"1 > 0 and 2/>1\"><b/></a>", accepted },
        { "a value left open runs to the end",      "<a v=\"<?pi?>", accepted },
        { "space and comments around '='",          "<a v <!-- c --> = <?i?> \"<?pi?>\"/>", accepted },
        { "an unquoted value ends the tag",         "<a v=x<?pi?>/>", refused },
        { "a name without '=' eats the '<' after it", preset ("<PARAM id<![CDATA[ x<?pi?>y"), refused },
        { "a character other than '=' quotes nothing", "<a v \xc3\xa9 \"<?pi?>\"/>", refused },
    });
}

TEST (XmlPreParseCheck, LimitsTheAttributesOfOneElement)
{
    expectDecisions ({
        { "255 attributes on a self-closing element", elementWithAttributes (255, "/>"), accepted },
        { "256 attributes on an opening tag",         elementWithAttributes (256, "></a>"), accepted },
        { "256 attributes on a self-closing element", elementWithAttributes (256, "/>"), refused },
        { "257 attributes on an opening tag",         elementWithAttributes (257, "></a>"), refused },
        { "300 attributes",                           preset (elementWithAttributes (300, "/>")), refused },
    });
}

TEST (XmlPreParseCheck, LimitsHowDeepElementsNest)
{
    expectDecisions ({
        { "16 levels",                                repeated ("<a>", 16), accepted },
        { "17 levels",                                repeated ("<a>", 17), refused },
        { "2000 levels",                              preset (repeated ("<a>", 2000)), refused },
        { "16 levels with a self-closing element inside", repeated ("<a>", 16) + "<b/>", accepted },
        { "16 levels with an opened element inside", repeated ("<a>", 16) + "<b></b>", refused },
        { "closed elements free their level",        repeated ("<a>", 15) + repeated ("<b></b>", 20), accepted },
        { "closing tags without an opening one bank no levels", repeated ("</a>", 5) + repeated ("<a>", 17), refused },
        { "tags with comments where spaces go",      repeated ("<a <!-- -->>", 17), refused },
        { "tags that open no element do not nest",   repeated ("<a b>", 20), accepted },
        { "tags with attribute values do nest",      repeated ("<a b=\"\">", 17), refused },
    });
}

TEST (XmlPreParseCheck, PassesOverTextBetweenElements)
{
    expectDecisions ({
        { "text between elements",                   preset ("x\r\n  <PARAM id=\"knob1\" value=\"1\"/> y \r\n"), accepted },
        { "'>' and quotes in text",                  "<a>1 > 0 \"' </a>", accepted },
        { "text after the root",                     "<a/>\r\nsigned off", accepted },
    });
}
