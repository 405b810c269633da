// The light markup of the manual: headings, paragraphs, lists, tables,
// pictures and inline bold, code and jumps.
#include <cctype>
#include <set>
#include <sstream>
#include <stdexcept>

#include "document.h"

namespace helpwriter {

namespace {

const char contentsId[] = "contents";

[[noreturn]] void fail(int lineNo, const std::string& what) {
    throw std::runtime_error("line " + std::to_string(lineNo) + ": " + what);
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool validContextId(const std::string& id) {
    if (id.empty()) return false;
    for (char c : id)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_') return false;
    return true;
}

// Inline markup of one piece of text: **bold**, `code`, [text](#id).
Line parseInline(const std::string& text, int lineNo, std::vector<std::pair<std::string, int>>& jumps) {
    Line out;
    bool bold = false;
    std::string run;
    auto flush = [&](bool code = false, const std::string& target = "") {
        if (!run.empty()) out.push_back(Span{run, bold, code, target});
        run.clear();
    };
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "**") == 0) {
            flush();
            bold = !bold;
            i += 2;
        } else if (text[i] == '`') {
            size_t end = text.find('`', i + 1);
            if (end == std::string::npos) fail(lineNo, "unclosed `");
            flush();
            run = text.substr(i + 1, end - i - 1);
            flush(true);
            i = end + 1;
        } else if (text[i] == '[') {
            size_t close = text.find("](#", i);
            size_t end = close == std::string::npos ? close : text.find(')', close);
            if (close == std::string::npos || end == std::string::npos) fail(lineNo, "a [ that starts no jump");
            flush();
            run = text.substr(i + 1, close - i - 1);
            const std::string target = text.substr(close + 3, end - close - 3);
            if (!validContextId(target)) fail(lineNo, "bad jump target '" + target + "'");
            if (run.empty()) fail(lineNo, "empty jump text");
            jumps.emplace_back(target, lineNo);
            flush(false, target);
            i = end + 1;
        } else {
            run += text[i++];
        }
    }
    if (bold) fail(lineNo, "unclosed **");
    flush();
    return out;
}

std::vector<std::string> splitCells(const std::string& row) {
    std::string inner = trim(row);
    if (!inner.empty() && inner.front() == '|') inner.erase(0, 1);
    if (!inner.empty() && inner.back() == '|') inner.pop_back();
    std::vector<std::string> cells;
    std::string cell;
    for (size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\' && i + 1 < inner.size() && inner[i + 1] == '|') {
            cell += '|';
            ++i;
        } else if (inner[i] == '|') {
            cells.push_back(trim(cell));
            cell.clear();
        } else {
            cell += inner[i];
        }
    }
    cells.push_back(trim(cell));
    return cells;
}

bool isSeparatorRow(const std::string& row) {
    for (char c : row)
        if (c != '|' && c != '-' && c != ':' && c != ' ') return false;
    return true;
}

// A numbered item "12. text": the number, or 0.
int stepNumber(const std::string& line, size_t& textStart) {
    size_t i = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) ++i;
    if (i == 0 || i > 3 || i + 1 >= line.size() || line[i] != '.' || line[i + 1] != ' ') return 0;
    textStart = i + 2;
    return std::stoi(line.substr(0, i));
}

}  // namespace

std::string plainText(const Line& line) {
    std::string s;
    for (const Span& span : line) s += span.text;
    return s;
}

Document parseManual(const std::string& text) {
    std::vector<std::string> lines;
    {
        std::istringstream in(text);
        std::string l;
        while (std::getline(in, l)) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            lines.push_back(l);
        }
    }
    Document doc;
    std::vector<std::pair<std::string, int>> jumps;
    std::set<std::string> ids;
    Topic* topic = nullptr;
    auto needTopic = [&](int lineNo) {
        if (!topic) fail(lineNo, "text before the '# Title' line");
    };

    for (size_t i = 0; i < lines.size();) {
        const int lineNo = int(i) + 1;
        const std::string line = trim(lines[i]);
        if (line.empty()) {
            ++i;
            continue;
        }
        if (startsWith(line, "# ")) {
            if (!doc.topics.empty()) fail(lineNo, "a second '# Title' line");
            doc.title = trim(line.substr(2));
            doc.topics.push_back(Topic{contentsId, doc.title, {}});
            ids.insert(contentsId);
            topic = &doc.topics.back();
            ++i;
        } else if (startsWith(line, "## ")) {
            needTopic(lineNo);
            std::string title = trim(line.substr(3));
            size_t brace = title.rfind("{#");
            if (brace == std::string::npos || title.back() != '}') fail(lineNo, "a section needs an id: ## Title {#id}");
            std::string id = title.substr(brace + 2, title.size() - brace - 3);
            title = trim(title.substr(0, brace));
            if (!validContextId(id)) fail(lineNo, "bad topic id '" + id + "' (letters, digits, . and _ only)");
            if (!ids.insert(id).second) fail(lineNo, "topic id '" + id + "' used twice");
            if (title.empty()) fail(lineNo, "empty section title");
            doc.topics.push_back(Topic{id, title, {}});
            topic = &doc.topics.back();
            ++i;
        } else if (startsWith(line, "### ")) {
            needTopic(lineNo);
            Block b;
            b.kind = BlockKind::Subheading;
            b.spans = parseInline(trim(line.substr(4)), lineNo, jumps);
            topic->blocks.push_back(b);
            ++i;
        } else if (line[0] == '|') {
            needTopic(lineNo);
            Block b;
            b.kind = BlockKind::Table;
            size_t columns = 0;
            for (; i < lines.size() && !trim(lines[i]).empty() && trim(lines[i])[0] == '|'; ++i) {
                const std::string row = trim(lines[i]);
                if (b.rows.size() == 1 && isSeparatorRow(row)) continue;
                std::vector<std::string> cells = splitCells(row);
                if (columns == 0) columns = cells.size();
                if (cells.size() != columns) fail(int(i) + 1, "a table row with " + std::to_string(cells.size()) +
                                                                   " cells, the header has " + std::to_string(columns));
                std::vector<Line> parsed;
                for (const std::string& c : cells) parsed.push_back(parseInline(c, int(i) + 1, jumps));
                b.rows.push_back(parsed);
            }
            if (b.rows.size() < 2) fail(lineNo, "a table needs a header and at least one row");
            topic->blocks.push_back(b);
        } else if (startsWith(line, "![")) {
            needTopic(lineNo);
            size_t close = line.find("](");
            if (close == std::string::npos || line.back() != ')') fail(lineNo, "a picture is ![description](file)");
            Block b;
            b.kind = BlockKind::Image;
            b.alt = line.substr(2, close - 2);
            b.image = line.substr(close + 2, line.size() - close - 3);
            topic->blocks.push_back(b);
            ++i;
        } else {
            needTopic(lineNo);
            Block b;
            size_t start = 0;
            if (startsWith(line, "- ")) {
                b.kind = BlockKind::Bullet;
                start = 2;
            } else if ((b.number = stepNumber(line, start)) > 0) {
                b.kind = BlockKind::Step;
            } else {
                start = 0;
            }
            std::string joined = line.substr(start);
            // Continuation lines: up to a blank line or the start of another block.
            for (++i; i < lines.size(); ++i) {
                const std::string next = trim(lines[i]);
                size_t dummy = 0;
                if (next.empty() || next[0] == '#' || next[0] == '|' || startsWith(next, "- ") ||
                    startsWith(next, "![") || stepNumber(next, dummy) > 0)
                    break;
                joined += " " + next;
            }
            b.spans = parseInline(joined, lineNo, jumps);
            topic->blocks.push_back(b);
        }
    }
    if (doc.topics.empty()) fail(1, "no '# Title' line");
    for (const auto& [target, lineNo] : jumps)
        if (!ids.count(target)) fail(lineNo, "jump to the unknown topic '" + target + "'");
    for (const Topic& t : doc.topics)
        if (t.blocks.empty() && t.id != contentsId) throw std::runtime_error("topic '" + t.id + "' has no text");
    return doc;
}

}  // namespace helpwriter

namespace helpwriter {

Document withContentsList(Document doc) {
    Topic& contents = doc.topics.front();
    Block heading;
    heading.kind = BlockKind::Subheading;
    heading.spans = {Span{"Contents", false, false, ""}};
    contents.blocks.push_back(heading);
    for (size_t t = 1; t < doc.topics.size(); ++t) {
        Block item;
        item.kind = BlockKind::Bullet;
        item.spans = {Span{doc.topics[t].title, false, false, doc.topics[t].id}};
        contents.blocks.push_back(item);
    }
    return doc;
}

}  // namespace helpwriter
