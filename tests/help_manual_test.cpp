// The manual and the program cannot drift apart: every key of the key table
// and every settings key the program reads is documented, every key the
// manual lists exists, and the manual builds into both outputs.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "document.h"
#include "hlp_file.h"
#include "html_writer.h"
#include "panel/keyboard.h"

namespace orv::test {
namespace {

using helpwriter::BlockKind;
using helpwriter::Document;
using helpwriter::Topic;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const Document& manual() {
    static const Document doc = helpwriter::parseManual(readText(std::string(ORVANTA_SOURCE_DIR) + "/doc/manual.md"));
    return doc;
}

const Topic& topic(const std::string& id) {
    for (const Topic& t : manual().topics)
        if (t.id == id) return t;
    throw std::runtime_error("the manual has no topic " + id);
}

// The name under which the manual lists each virtual-key code.
const std::map<unsigned, std::string> kKeyNames = {
    {0x25, "Left arrow"}, {0x26, "Up arrow"}, {0x27, "Right arrow"}, {0x28, "Down arrow"},
    {0x30, "Digit key 0"}, {0x31, "Digit keys 1 to 9"}, {0x32, "Digit keys 1 to 9"}, {0x33, "Digit keys 1 to 9"},
    {0x34, "Digit keys 1 to 9"}, {0x35, "Digit keys 1 to 9"}, {0x36, "Digit keys 1 to 9"},
    {0x37, "Digit keys 1 to 9"}, {0x38, "Digit keys 1 to 9"}, {0x39, "Digit keys 1 to 9"},
    {0x60, "Numeric pad 0"}, {0x61, "Numeric pad 1 to 9"}, {0x62, "Numeric pad 1 to 9"},
    {0x63, "Numeric pad 1 to 9"}, {0x64, "Numeric pad 1 to 9"}, {0x65, "Numeric pad 1 to 9"},
    {0x66, "Numeric pad 1 to 9"}, {0x67, "Numeric pad 1 to 9"}, {0x68, "Numeric pad 1 to 9"},
    {0x69, "Numeric pad 1 to 9"}, {0x41, "A"}, {0x48, "H"}, {0x4C, "L"}, {0x6C, "Numeric pad separator"},
    {0x55, "U"}, {0x75, "F6"}, {0x4D, "M"}, {0x6B, "Numeric pad +"}, {0x6D, "Numeric pad -"},
    {0x50, "P"}, {0x70, "F1"}, {0x51, "Q"}, {0x71, "F2"}, {0x54, "T"}, {0x74, "F5"},
    {0x4E, "N"}, {0x6E, "Numeric pad decimal"},
};

// The keys the keyboard topic's table names: first-column cells split at ", ".
std::set<std::string> documentedKeys() {
    std::set<std::string> keys;
    for (const auto& block : topic("keyboard").blocks) {
        if (block.kind != BlockKind::Table) continue;
        for (size_t r = 1; r < block.rows.size(); ++r) {
            std::string cell = helpwriter::plainText(block.rows[r][0]);
            for (size_t start = 0;;) {
                const size_t comma = cell.find(", ", start);
                keys.insert(cell.substr(start, comma - start));
                if (comma == std::string::npos) break;
                start = comma + 2;
            }
        }
    }
    return keys;
}

// The code spans of a topic: how the manual names settings keys and sections.
std::set<std::string> codeSpans(const Topic& t) {
    std::set<std::string> spans;
    auto add = [&spans](const helpwriter::Line& line) {
        for (const auto& s : line)
            if (s.code) spans.insert(s.text);
    };
    for (const auto& block : t.blocks) {
        add(block.spans);
        for (const auto& row : block.rows)
            for (const auto& cell : row) add(cell);
    }
    return spans;
}

void sourcesUnder(const std::string& dir, std::vector<std::string>& out) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = dir + "/" + name;
        if (e->d_type == DT_DIR) sourcesUnder(path, out);
        else if (name.size() > 4 && (name.substr(name.size() - 4) == ".cpp" || name.substr(name.size() - 2) == ".h"))
            out.push_back(path);
    }
    closedir(d);
}

// Every (section, key) the program reads with a literal key name. A section
// given as a named constant is looked up among the file's string constants.
std::set<std::pair<std::string, std::string>> settingsReadBySources() {
    std::vector<std::string> files;
    sourcesUnder(std::string(ORVANTA_SOURCE_DIR) + "/src", files);
    const std::regex read(R"(read(?:String|Int|Text)\(\s*("[A-Za-z]+"|[A-Za-z_]+)\s*,\s*"([A-Za-z_0-9]+)\")");
    const std::regex constant(R"(([A-Za-z_]+)\s*(?:\[\])?\s*=\s*"([A-Za-z]+)\")");
    std::set<std::pair<std::string, std::string>> found;
    for (const std::string& file : files) {
        const std::string text = readText(file);
        std::map<std::string, std::string> constants;
        for (std::sregex_iterator it(text.begin(), text.end(), constant), end; it != end; ++it)
            constants[(*it)[1]] = (*it)[2];
        for (std::sregex_iterator it(text.begin(), text.end(), read), end; it != end; ++it) {
            std::string section = (*it)[1];
            if (section.front() == '"') section = section.substr(1, section.size() - 2);
            else if (constants.count(section)) section = constants[section];
            found.insert({section, (*it)[2]});
        }
    }
    return found;
}

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST(Manual, EveryCommandKeyIsDocumentedAndEveryDocumentedKeyExists) {
    const std::set<std::string> documented = documentedKeys();
    std::set<std::string> program;
    for (unsigned code : commandKeyCodes()) {
        ASSERT_TRUE(kKeyNames.count(code)) << "key 0x" << std::hex << code
                                           << " has a command but no name here: add it to the manual and to kKeyNames";
        EXPECT_TRUE(documented.count(kKeyNames.at(code))) << "the keyboard topic does not list " << kKeyNames.at(code);
        program.insert(kKeyNames.at(code));
    }
    for (const std::string& key : documented) EXPECT_TRUE(program.count(key)) << "the manual lists " << key << ", the program has no such key";
}

TEST(Manual, EverySettingTheProgramReadsIsDocumented) {
    const auto read = settingsReadBySources();
    // The scan finds the reads of every part of the program, not just a few.
    for (const char* key : {"ADDR", "MIN", "STYLE", "Quit", "STATION", "MUTE", "ALARM_STATION", "X", "Y", "STATIONS", "TRACE"})
        EXPECT_TRUE(std::any_of(read.begin(), read.end(), [&](const auto& r) { return r.second == key; })) << key;
    std::set<std::string> documented;
    for (const std::string& span : codeSpans(topic("settings"))) documented.insert(upper(span));
    for (const auto& [section, key] : read) {
        EXPECT_TRUE(documented.count(upper(key))) << "settings key " << section << "/" << key << " is not in the manual";
        bool sectionNamed = false;
        for (const auto& block : topic("settings").blocks)
            if (block.kind == BlockKind::Subheading && upper(helpwriter::plainText(block.spans)) == upper("Section " + section))
                sectionNamed = true;
        EXPECT_TRUE(sectionNamed) << "the manual has no heading 'Section " << section << "'";
    }
    // The presets are read under a formatted key.
    EXPECT_TRUE(documented.count("STATION1") && documented.count("STATION99"));
}

TEST(Manual, CoversWhatTheUserMeetsAndBuildsIntoBothOutputs) {
    for (const char* id : {"panel", "buttons", "presets", "tuning", "sound", "clock", "styles", "keyboard", "quitting",
                           "settings", "card", "remote", "help", "troubleshooting"})
        EXPECT_NO_THROW(topic(id)) << id;
    EXPECT_EQ(manual().title, "Orvanta Help");
    // The quit question and the missing-help message appear as the program shows them.
    const std::string source = readText(std::string(ORVANTA_SOURCE_DIR) + "/doc/manual.md");
    EXPECT_NE(source.find("**Do you want the music to be in the background**"), std::string::npos);
    EXPECT_NE(source.find("\"The help file ... is missing.\""), std::string::npos);
    EXPECT_NE(source.find("\"Error loading Data File 1\""), std::string::npos);

    helpwriter::HlpReader hlp(helpwriter::writeHlp(helpwriter::withContentsList(manual())));
    EXPECT_EQ(hlp.title(), "Orvanta Help");
    EXPECT_EQ(hlp.topics().size(), manual().topics.size());
    EXPECT_EQ(hlp.contentsOfs(), hlp.topics().front().ofs);
    const std::string html = helpwriter::writeHtml(manual(), {{"orvanta-face.png", {0x89, 'P', 'N', 'G'}}});
    for (const Topic& t : manual().topics) EXPECT_NE(html.find("id=\"" + t.id + "\""), std::string::npos) << t.id;
}

}  // namespace
}  // namespace orv::test
