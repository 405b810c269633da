// The manual pages: roff's special characters never reach roff unescaped,
// tables and lists come out as man(7) paragraphs, jumps name the page they
// lead to, and the real manual's topics all land on a page.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "document.h"
#include "man_writer.h"

namespace helpwriter {
namespace {

const char kSample[] =
    "# Sample Help\n"
    "\n"
    "Intro with a 12-hour clock. See [Keys](#keys) and [Remote](#remote).\n"
    "\n"
    "![The face](face.png)\n"
    "\n"
    "## Keys {#keys}\n"
    "\n"
    ".ini files are read at start.\n"
    "\n"
    "'Quoted' text and a back\\slash.\n"
    "\n"
    "### Settings\n"
    "\n"
    "| Key | Default | Meaning |\n"
    "|---|---|---|\n"
    "| `ADDR` | 30C | The port. |\n"
    "| `MIN` | 87 | .5 steps |\n"
    "\n"
    "| Key | Command |\n"
    "|---|---|\n"
    "| VOL - | One step softer |\n"
    "\n"
    "- first bullet\n"
    "- second bullet\n"
    "\n"
    "3. third step\n"
    "4. fourth step\n"
    "\n"
    "## Remote {#remote}\n"
    "\n"
    "Run `orvanta-remote station 7` back to [Keys](#keys).\n";

std::vector<ManPage> samplePages() {
    ManPage a;
    a.name = "sample";
    a.summary = "a sample program";
    a.synopsis = {{"sample", "--flag", "<file>"}};
    a.description = "contents";
    a.topics = {"keys"};
    a.environment = {{"HOME", "Where it looks."}};
    a.files = {{"/usr/share/sample-data/text.dat", "The skin."}};
    a.seeAlso = {"sample-remote(1)"};
    ManPage b;
    b.name = "sample-remote";
    b.summary = "drives the sample";
    b.synopsis = {{"sample-remote"}};
    b.description = "remote";
    return {a, b};
}

std::string page(size_t which) {
    const std::vector<ManPage> pages = samplePages();
    return writeMan(parseManual(kSample), pages[which], pages, "1.2.3", "2026-01-31");
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ManEscape, BackslashesNonAsciiAndHyphens) {
    EXPECT_EQ(escapeRoff("C:\\trace.txt", false), "C:\\etrace.txt");
    EXPECT_EQ(escapeRoff("a 12-hour clock", false), "a 12-hour clock");  // a word's own hyphen
    EXPECT_EQ(escapeRoff("VOL - and -all", false), "VOL \\- and \\-all");
    EXPECT_EQ(escapeRoff("end-", false), "end\\-");
    EXPECT_EQ(escapeRoff("orvanta-remote --help", true), "orvanta\\-remote \\-\\-help");
    EXPECT_EQ(escapeRoff("87\xe2\x80\x93" "108", false), "87\\[u2013]108");
    EXPECT_EQ(escapeRoff("5 \xc2\xb5V", false), "5 \\[u00B5]V");
    EXPECT_EQ(escapeRoff("\xf0\x9f\x93\xbb", false), "\\[u1F4FB]");
    EXPECT_EQ(escapeRoff("", true), "");
}

TEST(ManEscape, RefusesMalformedUtf8) {
    EXPECT_THROW(escapeRoff("cut \xc3", false), std::runtime_error);
    EXPECT_THROW(escapeRoff("\xe2\x80", false), std::runtime_error);
    EXPECT_THROW(escapeRoff("stray \x80 byte", false), std::runtime_error);
    EXPECT_THROW(escapeRoff("\xe2x\x93", false), std::runtime_error);
    EXPECT_THROW(escapeRoff("\xf8\x88\x80\x80\x80", false), std::runtime_error);
}

TEST(ManPageText, NoTextLineReadsAsARequest) {
    const std::set<std::string> requests = {".TH", ".SH", ".SS", ".PP", ".TP", ".IP", ".br", ".nh", ".\\\""};
    for (size_t p = 0; p < 2; ++p) {
        for (const std::string& l : lines(page(p))) {
            if (l.empty() || (l[0] != '.' && l[0] != '\'')) continue;
            EXPECT_TRUE(requests.count(l.substr(0, l.find(' ')))) << l;
        }
    }
    const std::string text = page(0);
    EXPECT_TRUE(contains(text, "\n\\&.ini files are read at start.\n"));
    EXPECT_TRUE(contains(text, "\n\\&'Quoted' text and a back\\eslash.\n"));
    EXPECT_TRUE(contains(text, "\nDefault: 87.\n.br\n\\&.5 steps\n"));  // a cell that starts with a dot
}

TEST(ManPageText, TablesBecomeTaggedParagraphs) {
    const std::string text = page(0);
    // Three columns: the middle one under its column's name.
    EXPECT_TRUE(contains(text, ".TP\n\\fBADDR\\fR\nDefault: 30C.\n.br\nThe port.\n"));
    // Two columns: tag and text; the lone hyphen is a minus sign.
    EXPECT_TRUE(contains(text, ".TP\n\\fBVOL \\-\\fR\nOne step softer\n"));
    EXPECT_FALSE(contains(text, "Key:"));  // the header row is no entry
    EXPECT_FALSE(contains(text, ".TS"));   // no tbl needed
}

TEST(ManPageText, ListsKeepTheirNumbersAndPicturesAreLeftOut) {
    const std::string text = page(0);
    EXPECT_TRUE(contains(text, ".IP \\(bu 2\nfirst bullet\n.IP \\(bu 2\nsecond bullet\n"));
    EXPECT_TRUE(contains(text, ".IP 3. 4\nthird step\n.IP 4. 4\nfourth step\n"));
    EXPECT_FALSE(contains(text, "face.png"));
    EXPECT_FALSE(contains(text, "The face"));
}

TEST(ManPageText, JumpsNameTheOtherPage) {
    const std::string first = page(0), second = page(1);
    EXPECT_TRUE(contains(first, "See Keys and Remote in \\fBsample\\-remote\\fR(1).\n"));
    EXPECT_TRUE(contains(second, "back to Keys in \\fBsample\\fR(1).\n"));
    EXPECT_TRUE(contains(second, "Run \\fBorvanta\\-remote station 7\\fR"));
}

TEST(ManPageText, HeaderSynopsisAndOwnSections) {
    const std::string text = page(0);
    EXPECT_EQ(lines(text)[1], ".TH SAMPLE 1 \"2026-01-31\" \"Orvanta 1.2.3\" \"User Commands\"");
    EXPECT_TRUE(contains(text, ".SH NAME\nsample \\- a sample program\n"));
    EXPECT_TRUE(contains(text, ".SH SYNOPSIS\n\\fBsample\\fR \\fB\\-\\-flag\\fR \\fIfile\\fR\n"));
    EXPECT_TRUE(contains(text, ".SH\nKEYS\n"));
    EXPECT_TRUE(contains(text, ".SS\nSettings\n"));
    EXPECT_TRUE(contains(text, ".SH ENVIRONMENT\n.TP\n\\fBHOME\\fR\nWhere it looks.\n"));
    EXPECT_TRUE(contains(text, ".SH FILES\n.TP\n\\fB/usr/share/sample\\-data/text.dat\\fR\n"));
    EXPECT_TRUE(contains(text, ".SH SEE ALSO\n\\fBsample\\-remote\\fR(1)\n"));
    EXPECT_FALSE(contains(text, "EXIT STATUS"));  // a page without entries has no such section
    EXPECT_LT(text.find(".SH ENVIRONMENT"), text.find(".SH FILES"));
    EXPECT_LT(text.find(".SH FILES"), text.find(".SH SEE ALSO"));
}

TEST(ManPageText, RefusesATopicTheManualLacks) {
    std::vector<ManPage> pages = samplePages();
    pages[0].topics.push_back("gone");
    EXPECT_THROW(writeMan(parseManual(kSample), pages[0], pages, "1", "2026-01-31"), std::runtime_error);
}

// The real manual and the pages of the Linux programs.
Document realManual() {
    std::ifstream in(std::string(ORVANTA_SOURCE_DIR) + "/doc/manual.md", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return parseManual(s.str());
}

TEST(ManPagesOfTheManual, EveryTopicLandsOnExactlyOnePage) {
    const Document doc = realManual();
    const std::vector<ManPage> pages = linuxManPages("/usr/share/orvanta");
    std::map<std::string, int> count;
    for (const ManPage& p : pages) {
        ++count[p.description];
        for (const std::string& t : p.topics) ++count[t];
    }
    for (const Topic& t : doc.topics) EXPECT_EQ(count[t.id], 1) << "topic " << t.id;
    EXPECT_EQ(count.size(), doc.topics.size());
}

TEST(ManPagesOfTheManual, EachPageHasTheUsualSectionsAndItsTopics) {
    const Document doc = realManual();
    const std::vector<ManPage> pages = linuxManPages("/usr/share/orvanta");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].name, "orvanta");
    EXPECT_EQ(pages[1].name, "orvanta-remote");
    EXPECT_EQ(pages[1].description, "remote");
    for (const ManPage& p : pages) {
        const std::string text = writeMan(doc, p, pages, "1.1.0", "2026-12-07");
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "ENVIRONMENT", "FILES", "SEE ALSO"})
            EXPECT_TRUE(contains(text, std::string("\n.SH ") + section + "\n")) << p.name << ": " << section;
        for (const std::string& id : p.topics) {
            for (const Topic& t : doc.topics) {
                if (t.id != id) continue;
                std::string upper = escapeRoff(t.title, false);
                for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
                EXPECT_TRUE(contains(text, "\n.SH\n" + upper + "\n")) << p.name << ": " << t.title;
            }
        }
    }
    const std::string panel = writeMan(doc, pages[0], pages, "1.1.0", "2026-12-07");
    EXPECT_TRUE(contains(panel, "\\fB/usr/share/orvanta/text.dat\\fR"));
    EXPECT_TRUE(contains(panel, "\\fB/usr/share/orvanta/orvanta.html\\fR"));
    EXPECT_TRUE(contains(panel, "Remote control in \\fBorvanta\\-remote\\fR(1)"));
}

}  // namespace
}  // namespace helpwriter
