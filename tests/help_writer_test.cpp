// The manual's writers: the WinHelp file is read back through its own
// structures (directory tree, |SYSTEM, |FONT, |CONTEXT, |TTLBTREE, the topic
// chain) and checked against the pitfalls a viewer trips over; the parser
// refuses malformed markup; the web page needs no other file.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "document.h"
#include "hlp_file.h"
#include "html_writer.h"

namespace helpwriter {
namespace {

const char kSample[] =
    "# Sample Help\n"
    "\n"
    "Welcome to the **sample**. See [Getting started](#getting_started).\n"
    "\n"
    "## Getting started {#getting_started}\n"
    "\n"
    "Press `H` for help, then read [the keys](#keys).\n"
    "\n"
    "- a bullet\n"
    "  that goes on\n"
    "- another\n"
    "\n"
    "1. first step\n"
    "2. second step\n"
    "\n"
    "## Keys {#keys}\n"
    "\n"
    "### The table\n"
    "\n"
    "| Key | Command |\n"
    "|---|---|\n"
    "| H | Help \\| more |\n"
    "| Left arrow | Tune 0.025 MHz down \xe2\x80\x93 or the minute |\n"
    "\n"
    "![The face](face.png)\n";

std::vector<uint8_t> sampleFile() { return writeHlp(withContentsList(parseManual(kSample))); }

// A document whose topics fill several 4096-byte topic blocks.
Document longDocument(int topics, int paragraphs) {
    std::string text = "# Long\n\nIntro [last](#t" + std::to_string(topics - 1) + ").\n";
    for (int t = 0; t < topics; ++t) {
        text += "\n## Topic " + std::to_string(t) + " {#t" + std::to_string(t) + "}\n";
        for (int p = 0; p < paragraphs; ++p)
            text += "\nParagraph " + std::to_string(p) + " of topic " + std::to_string(t) + " with **bold** and a [jump](#t" +
                    std::to_string((t + 1) % topics) + ") " + std::string(size_t(40 + (p * 37) % 90), 'x') + ".\n";
    }
    return parseManual(text);
}

TEST(HelpContextHash, KnownValuesIgnoreCaseAndRefuseOtherCharacters) {
    EXPECT_EQ(contextHash("contents"), 0x25F4558Au);
    EXPECT_EQ(contextHash("getting_started"), 0xFA1568DCu);  // negative as a signed hash
    EXPECT_EQ(contextHash("GETTING_Started"), contextHash("getting_started"));
    EXPECT_EQ(contextHash("a.0"), (17u * 43 + 12) * 43 + 10);
    EXPECT_EQ(contextHash(""), 0u);
    EXPECT_THROW(contextHash("bad-id"), std::runtime_error);
}

TEST(HelpCodePage, Cp1252KeepsItsPunctuationAndRefusesTheRest) {
    EXPECT_EQ(toCp1252("plain"), "plain");
    EXPECT_EQ(toCp1252("a\xe2\x80\x93z"), "a\x96z");  // en dash
    EXPECT_EQ(toCp1252("3\xc3\x97" "4"), "3\xd7" "4");  // multiplication sign
    EXPECT_EQ(toCp1252("\xe2\x80\xa2"), "\x95");        // bullet
    EXPECT_THROW(toCp1252("\xe2\x86\x92"), std::runtime_error);  // an arrow is not in the page
    EXPECT_THROW(toCp1252("\xc3"), std::runtime_error);          // cut UTF-8
}

TEST(HelpParser, TopicsBlocksAndInlineMarkup) {
    const Document doc = parseManual(kSample);
    EXPECT_EQ(doc.title, "Sample Help");
    ASSERT_EQ(doc.topics.size(), 3u);
    EXPECT_EQ(doc.topics[0].id, "contents");
    EXPECT_EQ(doc.topics[1].id, "getting_started");
    EXPECT_EQ(doc.topics[1].title, "Getting started");
    const auto& blocks = doc.topics[1].blocks;
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0].spans[1].text, "H");
    EXPECT_TRUE(blocks[0].spans[1].code);
    EXPECT_EQ(blocks[0].spans[3].target, "keys");
    EXPECT_EQ(plainText(blocks[1].spans), "a bullet that goes on");
    EXPECT_EQ(blocks[4].kind, BlockKind::Step);
    EXPECT_EQ(blocks[4].number, 2);
    const Block& table = doc.topics[2].blocks[1];
    ASSERT_EQ(table.kind, BlockKind::Table);
    ASSERT_EQ(table.rows.size(), 3u);  // header and two rows; the separator row is dropped
    EXPECT_EQ(plainText(table.rows[1][1]), "Help | more");
    EXPECT_EQ(doc.topics[2].blocks[2].kind, BlockKind::Image);
    EXPECT_EQ(doc.topics[2].blocks[2].image, "face.png");
}

TEST(HelpParser, RefusesMalformedMarkupWithItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"# T\n\nSee [x](#nowhere).\n", "line 3: jump to the unknown topic 'nowhere'"},
        {"# T\n## A {#a}\ntext\n## B {#a}\ntext\n", "line 4: topic id 'a' used twice"},
        {"# T\n## A\ntext\n", "line 2: a section needs an id"},
        {"# T\n## A {#a-b}\ntext\n", "line 2: bad topic id"},
        {"# T\n\n| a | b |\n|---|---|\n| 1 |\n", "line 5: a table row with 1 cells"},
        {"# T\n\nsome **bold\n", "line 3: unclosed **"},
        {"text first\n# T\n", "line 1: text before"},
        {"# T\n## A {#a}\n", "topic 'a' has no text"},
    };
    for (const Case& c : cases) {
        try {
            parseManual(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
    }
}

TEST(HelpFile, EveryInternalFileIsFoundThroughTheDirectoryTree) {
    const std::vector<uint8_t> bytes = sampleFile();
    HlpReader r(bytes);  // also checks the header's size, slack-free file headers and byte order
    std::vector<std::string> names;
    for (const auto& entry : r.directory()) names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"|CONTEXT", "|CTXOMAP", "|FONT", "|SYSTEM", "|TOPIC", "|TTLBTREE"}));
    for (const std::string& name : names) EXPECT_TRUE(r.file(name).has_value()) << name;
    EXPECT_FALSE(r.file("|Phrases").has_value());  // no phrase compression
    EXPECT_EQ(r.file("|CTXOMAP").value(), (std::vector<uint8_t>{0, 0}));
}

TEST(HelpFile, SystemNamesTheTitleTheContentsTopicAndTheMainWindow) {
    HlpReader r(sampleFile());
    EXPECT_EQ(r.title(), "Sample Help");
    EXPECT_EQ(r.mainWindowCaption(), "Sample Help");
    ASSERT_FALSE(r.topics().empty());
    EXPECT_EQ(r.contentsOfs(), r.topics().front().ofs);
    EXPECT_EQ(r.topicBlockSize(), 4096u);  // minor 21, flags 0: plain 4 KiB blocks
    EXPECT_EQ(r.faces(), (std::vector<std::string>{"Arial", "Courier New"}));
    EXPECT_EQ(r.fontDescriptors(), 5u);
}

TEST(HelpFile, ContextHashesLeadToTheirTopicsAndTitlesToo) {
    HlpReader r(sampleFile());
    const auto& topics = r.topics();
    ASSERT_EQ(topics.size(), 3u);
    const char* ids[] = {"contents", "getting_started", "keys"};
    for (size_t t = 0; t < 3; ++t) {
        ASSERT_TRUE(r.context().count(contextHash(ids[t]))) << ids[t];
        EXPECT_EQ(r.context().at(contextHash(ids[t])), topics[t].ofs) << ids[t];
        EXPECT_EQ(r.titles().at(topics[t].ofs), topics[t].title);
    }
    EXPECT_EQ(r.context().size(), 3u);
}

TEST(HelpFile, TopicChainCarriesTitlesTextJumpsAndBrowseLinks) {
    HlpReader r(sampleFile());
    const auto& topics = r.topics();
    ASSERT_EQ(topics.size(), 3u);
    EXPECT_EQ(topics[0].title, "Sample Help");
    EXPECT_EQ(topics[1].title, "Getting started");
    for (size_t t = 0; t < topics.size(); ++t) {
        EXPECT_EQ(topics[t].topicNumber, t);
        EXPECT_EQ(topics[t].paragraphs.at(0), topics[t].title);  // the title line comes first
        EXPECT_EQ(topics[t].browseBack, t == 0 ? 0xFFFFFFFFu : topics[t - 1].ofs);
        EXPECT_EQ(topics[t].browseForward, t + 1 == topics.size() ? 0xFFFFFFFFu : topics[t + 1].ofs);
        if (t > 0) {
            EXPECT_GT(topics[t].ofs, topics[t - 1].ofs);  // every topic has text, so no two share an ofs
        }
    }
    // The contents topic lists a jump to every other topic after the text's own jump.
    EXPECT_EQ(topics[0].jumps, (std::vector<uint32_t>{contextHash("getting_started"), contextHash("getting_started"),
                                                      contextHash("keys")}));
    // Text survives the commands around it: bold, code, jumps, tabs, bullets.
    EXPECT_EQ(topics[0].paragraphs[1], "Welcome to the sample. See Getting started.");
    EXPECT_EQ(topics[1].paragraphs[1], "Press H for help, then read the keys.");
    EXPECT_EQ(topics[1].paragraphs[2], "\x95\ta bullet that goes on");
    EXPECT_EQ(topics[1].paragraphs[4], "1.\tfirst step");
    EXPECT_EQ(topics[2].paragraphs[3], "H\tHelp | more");
    EXPECT_EQ(topics[2].paragraphs[4], "Left arrow\tTune 0.025 MHz down \x96 or the minute");
    EXPECT_EQ(topics[2].paragraphs.size(), 5u);  // the picture is for the web page only
}

TEST(HelpFile, LongTopicsCrossBlockBoundariesIntact) {
    const Document doc = longDocument(30, 12);
    const std::vector<uint8_t> bytes = writeHlp(doc);
    HlpReader r(bytes);  // checks FirstTopicLink of every block and the chain's links
    EXPECT_GT(r.file("|TOPIC")->size(), 10 * 4096u);
    ASSERT_EQ(r.topics().size(), 31u);
    std::vector<uint32_t> ofs;
    for (size_t t = 1; t < r.topics().size(); ++t) {
        const ReadTopic& topic = r.topics()[t];
        ASSERT_EQ(topic.paragraphs.size(), 13u);
        for (size_t p = 0; p < doc.topics[t].blocks.size(); ++p)
            EXPECT_EQ(topic.paragraphs[p + 1], plainText(doc.topics[t].blocks[p].spans)) << "topic " << t << " p " << p;
        EXPECT_EQ(r.context().at(contextHash(doc.topics[t].id)), topic.ofs);
        ofs.push_back(topic.ofs);
    }
    // Topics that start in later blocks carry the block in the ofs's upper part.
    EXPECT_GE(ofs.back() / 0x8000, 10u);
    EXPECT_TRUE(std::is_sorted(ofs.begin(), ofs.end()));
}

TEST(HelpFile, RefusesWhatDoesNotFitTheFormat) {
    // More topics than one |CONTEXT leaf page holds (255 entries of 8 bytes).
    EXPECT_THROW(writeHlp(longDocument(300, 1)), std::runtime_error);
    // A paragraph larger than a topic block.
    EXPECT_THROW(writeHlp(parseManual("# T\n\n" + std::string(5000, 'x') + "\n")), std::runtime_error);
}

TEST(HelpFile, ReaderCatchesSlackAndWrongSizes) {
    std::vector<uint8_t> bytes = sampleFile();
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);  // the header's size no longer matches
    EXPECT_THROW(HlpReader{longer}, std::runtime_error);

    // Reserved space larger than the used space: a viewer would read the slack as records.
    HlpReader r(bytes);
    for (const auto& [name, at] : r.directory()) {
        if (name != "|SYSTEM") continue;
        std::vector<uint8_t> slack = bytes;
        slack[at] += 4;
        EXPECT_THROW(HlpReader{slack}.file("|SYSTEM"), std::runtime_error);
    }
}

TEST(HelpPage, OnePageWithContentsSectionsAndEmbeddedPicture) {
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 1, 2, 3};
    const std::string html = writeHtml(parseManual(kSample), {{"face.png", png}});
    EXPECT_NE(html.find("<title>Sample Help</title>"), std::string::npos);
    EXPECT_NE(html.find("<nav>"), std::string::npos);
    EXPECT_NE(html.find("<li><a href=\"#getting_started\">Getting started</a></li>"), std::string::npos);
    EXPECT_NE(html.find("<h2 id=\"keys\">Keys</h2>"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"#keys\">the keys</a>"), std::string::npos);
    EXPECT_NE(html.find("src=\"data:image/png;base64,iVBORwECAw==\""), std::string::npos);
    EXPECT_NE(html.find("<td>Help | more</td>"), std::string::npos);
    EXPECT_NE(html.find("<li value=\"2\">second step</li>"), std::string::npos);
    // Self-contained: no file or address outside the page.
    EXPECT_EQ(html.find("src=\"http"), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    EXPECT_EQ(html.find("href=\"http"), std::string::npos);
    EXPECT_THROW(writeHtml(parseManual(kSample), {}), std::runtime_error);  // the picture is missing
    EXPECT_EQ(escapeHtml("a<b & \"c\">"), "a&lt;b &amp; &quot;c&quot;&gt;");
}

}  // namespace
}  // namespace helpwriter
