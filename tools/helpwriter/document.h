// The manual as the help writers see it: a title, a contents topic and one
// topic per section, each a list of blocks made of styled text runs.
#pragma once

#include <string>
#include <vector>

namespace helpwriter {

// A run of text in one style; a run with a target is a jump to that topic.
struct Span {
    std::string text;  // UTF-8
    bool bold = false;
    bool code = false;
    std::string target;  // topic id of a jump, "" for plain text
};

using Line = std::vector<Span>;

enum class BlockKind {
    Paragraph,  // spans
    Subheading, // spans
    Bullet,     // spans: one item of a bullet list
    Step,       // spans: one numbered item; number holds its number
    Table,      // rows: each row a list of cells; the first row is the header
    Image,      // image: file name, alt: the description
};

struct Block {
    BlockKind kind = BlockKind::Paragraph;
    Line spans;
    int number = 0;
    std::vector<std::vector<Line>> rows;
    std::string image, alt;
};

struct Topic {
    std::string id;     // context id: letters, digits, '.', '_'
    std::string title;  // UTF-8
    std::vector<Block> blocks;
};

// The first topic is the contents topic (id "contents").
struct Document {
    std::string title;
    std::vector<Topic> topics;
};

// Parses the manual's light markup:
//   # Title                 the document title; the text after it is the contents topic
//   ## Section {#id}        a new topic with that context id
//   ### Heading             a subheading inside a topic
//   paragraphs, - bullets, 1. steps, | tables |, ![alt](file.png),
//   **bold**, `code`, [text](#id) jumps.
// Throws std::runtime_error with the line number on malformed input and on
// jumps to topics that do not exist.
Document parseManual(const std::string& text);

// The plain text of a line of spans.
std::string plainText(const Line& line);

}  // namespace helpwriter

namespace helpwriter {

// The document with a list of jumps to every other topic added to the
// contents topic: the help viewer's contents page.
Document withContentsList(Document doc);

}  // namespace helpwriter
