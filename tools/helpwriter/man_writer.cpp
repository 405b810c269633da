// Writes manual pages from the manual. Tables become tagged paragraphs, so
// the pages need no tbl and read well on a terminal of any width.
#include "man_writer.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace helpwriter {

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// One code point from UTF-8 at text[i]; i moves past it.
unsigned decodeUtf8(const std::string& text, size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead >= 0xF8 || i + size_t(extra) >= text.size())
        throw std::runtime_error("malformed UTF-8 in the manual");
    unsigned cp = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + size_t(k)]);
        if ((c & 0xC0) != 0x80) throw std::runtime_error("malformed UTF-8 in the manual");
        cp = (cp << 6) | (c & 0x3F);
    }
    i += size_t(extra) + 1;
    return cp;
}

std::string toUpper(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A text line as roff reads it: a leading dot or apostrophe would make it a
// request, so \& goes in front.
std::string textLine(const std::string& escaped) {
    if (!escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'')) return "\\&" + escaped + "\n";
    return escaped + "\n";
}

std::string bold(const std::string& escaped) {
    return "\\fB" + escaped + "\\fR";
}

std::string quoted(const std::string& arg) {
    std::string out = "\"";
    for (char c : arg) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

const ManPage* pageOfTopic(const std::vector<ManPage>& all, const std::string& id) {
    for (const ManPage& p : all) {
        if (p.description == id) return &p;
        for (const std::string& t : p.topics)
            if (t == id) return &p;
    }
    return nullptr;
}

class PageWriter {
public:
    PageWriter(const ManPage& page, const std::vector<ManPage>& all) : page_(page), all_(all) {}

    std::string spans(const Line& line) const {
        std::string out;
        for (const Span& s : line) {
            std::string t = escapeRoff(s.text, s.code);
            if (s.bold || s.code) t = bold(t);
            out += t;
            if (!s.target.empty()) {
                const ManPage* other = pageOfTopic(all_, s.target);
                if (other && other != &page_ && other->name != page_.name)
                    out += " in " + bold(escapeRoff(other->name, true)) + "(1)";
            }
        }
        return out;
    }

    void blocks(std::string& out, const std::vector<Block>& list) const {
        for (const Block& b : list) {
            switch (b.kind) {
            case BlockKind::Paragraph: out += ".PP\n" + textLine(spans(b.spans)); break;
            case BlockKind::Subheading: out += ".SS\n" + textLine(spans(b.spans)); break;
            case BlockKind::Bullet: out += ".IP \\(bu 2\n" + textLine(spans(b.spans)); break;
            case BlockKind::Step:
                out += ".IP " + std::to_string(b.number) + ". 4\n" + textLine(spans(b.spans));
                break;
            case BlockKind::Table: table(out, b.rows); break;
            case BlockKind::Image: break;  // the face picture lives in the web page
            }
        }
    }

private:
    // Each row a tagged paragraph: the first cell is the tag, the middle
    // cells follow under their column's name, the last cell is the text.
    void table(std::string& out, const std::vector<std::vector<Line>>& rows) const {
        const std::vector<Line>& header = rows.front();
        for (size_t r = 1; r < rows.size(); ++r) {
            const std::vector<Line>& row = rows[r];
            out += ".TP\n" + textLine(bold(tag(row.front())));
            for (size_t c = 1; c + 1 < row.size(); ++c)
                out += textLine(escapeRoff(plainText(header[c]), false) + ": " + spans(row[c]) + ".") + ".br\n";
            if (row.size() > 1) out += textLine(spans(row.back()));
        }
    }

    // A tag is bold as a whole; a tag that is all code keeps its hyphens literal.
    static std::string tag(const Line& cell) {
        bool literal = !cell.empty();
        for (const Span& s : cell) literal = literal && s.code;
        return escapeRoff(plainText(cell), literal);
    }

    const ManPage& page_;
    const std::vector<ManPage>& all_;
};

const Topic& findTopic(const Document& doc, const std::string& id) {
    for (const Topic& t : doc.topics)
        if (t.id == id) return t;
    throw std::runtime_error("the manual has no topic '" + id + "' for the page");
}

void entries(std::string& out, const char* heading, const std::vector<ManEntry>& list) {
    if (list.empty()) return;
    out += std::string(".SH ") + heading + "\n";
    for (const ManEntry& e : list) out += ".TP\n" + textLine(bold(escapeRoff(e.term, true))) + textLine(escapeRoff(e.text, false));
}

}  // namespace

std::string escapeRoff(const std::string& text, bool literal) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            char code[16];
            std::snprintf(code, sizeof code, "\\[u%04X]", decodeUtf8(text, i));
            out += code;
            continue;
        }
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            const bool insideWord = i > 0 && i + 1 < text.size() && isWordChar(text[i - 1]) && isWordChar(text[i + 1]);
            out += literal || !insideWord ? "\\-" : "-";
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

std::string writeMan(const Document& doc, const ManPage& page, const std::vector<ManPage>& all,
                     const std::string& version, const std::string& date) {
    const PageWriter writer(page, all);
    std::string out = ".\\\" Written by helpwriter from the manual, doc/manual.md: change the manual, not this page.\n";
    out += ".TH " + escapeRoff(toUpper(page.name), false) + " 1 " + quoted(date) + " " + quoted("Orvanta " + version) +
           " " + quoted("User Commands") + "\n";
    out += ".nh\n";  // no hyphenation: file names, keys and commands stay whole
    out += ".SH NAME\n" + textLine(escapeRoff(page.name, false) + " \\- " + escapeRoff(page.summary, false));

    out += ".SH SYNOPSIS\n";
    for (size_t l = 0; l < page.synopsis.size(); ++l) {
        if (l > 0) out += ".br\n";
        std::string line;
        for (const std::string& word : page.synopsis[l]) {
            if (!line.empty()) line += ' ';
            if (word.size() > 2 && word.front() == '<' && word.back() == '>')
                line += "\\fI" + escapeRoff(word.substr(1, word.size() - 2), true) + "\\fR";
            else
                line += bold(escapeRoff(word, true));
        }
        out += textLine(line);
    }

    out += ".SH DESCRIPTION\n";
    writer.blocks(out, findTopic(doc, page.description).blocks);
    for (const std::string& id : page.topics) {
        const Topic& topic = findTopic(doc, id);
        out += ".SH\n" + textLine(escapeRoff(toUpper(topic.title), false));
        writer.blocks(out, topic.blocks);
    }

    entries(out, "EXIT STATUS", page.exitStatus);
    entries(out, "ENVIRONMENT", page.environment);
    entries(out, "FILES", page.files);
    if (!page.seeAlso.empty()) {
        out += ".SH SEE ALSO\n";
        std::string line;
        for (const std::string& ref : page.seeAlso) {
            const size_t paren = ref.find('(');
            if (!line.empty()) line += ", ";
            line += bold(escapeRoff(ref.substr(0, paren), true)) + (paren == std::string::npos ? "" : ref.substr(paren));
        }
        out += textLine(line);
    }
    return out;
}

}  // namespace helpwriter
