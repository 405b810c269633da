// Writes the manual as a single page that needs no other file.
#include "html_writer.h"

#include <stdexcept>

namespace helpwriter {

namespace {

const char style[] =
    "body{font-family:Arial,Helvetica,sans-serif;font-size:15px;line-height:1.45;color:#1d1f22;"
    "max-width:52em;margin:0 auto;padding:1em 1.5em 4em;background:#fbfbf8}"
    "h1{font-size:1.9em;margin:.6em 0 .2em}h2{font-size:1.35em;margin:2em 0 .5em;padding-top:.4em;"
    "border-top:2px solid #2a3b4c}h3{font-size:1.08em;margin:1.3em 0 .3em}"
    "a{color:#0b6b3a}code{font-family:'Courier New',monospace;background:#eceee8;padding:0 .2em}"
    "table{border-collapse:collapse;margin:.6em 0 1em}th,td{border:1px solid #c6cbc2;padding:.25em .55em;"
    "text-align:left;vertical-align:top}th{background:#e3e8de}"
    "nav{background:#eef1ea;border:1px solid #cfd5c8;padding:.4em 1.2em;margin:1em 0}"
    "nav ol{margin:.3em 0;padding-left:1.4em}figure{margin:1em 0}figure img{max-width:100%;height:auto}"
    "figcaption{font-size:.9em;color:#555}";

const char base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(const std::vector<uint8_t>& data) {
    std::string out;
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t v = uint32_t(data[i]) << 16;
        if (i + 1 < data.size()) v |= uint32_t(data[i + 1]) << 8;
        if (i + 2 < data.size()) v |= data[i + 2];
        out += base64Digits[(v >> 18) & 63];
        out += base64Digits[(v >> 12) & 63];
        out += i + 1 < data.size() ? base64Digits[(v >> 6) & 63] : '=';
        out += i + 2 < data.size() ? base64Digits[v & 63] : '=';
    }
    return out;
}

std::string spans(const Line& line) {
    std::string out;
    for (const Span& s : line) {
        std::string t = escapeHtml(s.text);
        if (s.code) t = "<code>" + t + "</code>";
        if (s.bold) t = "<b>" + t + "</b>";
        if (!s.target.empty()) t = "<a href=\"#" + s.target + "\">" + t + "</a>";
        out += t;
    }
    return out;
}

void blocks(std::string& out, const std::vector<Block>& list,
            const std::map<std::string, std::vector<uint8_t>>& images) {
    std::string openList;  // "ul" or "ol" while a list is open
    for (const Block& b : list) {
        const char* want = b.kind == BlockKind::Bullet ? "ul" : b.kind == BlockKind::Step ? "ol" : "";
        if (openList != want) {
            if (!openList.empty()) out += "</" + openList + ">\n";
            openList = want;
            if (!openList.empty()) out += "<" + openList + ">\n";
        }
        switch (b.kind) {
        case BlockKind::Paragraph: out += "<p>" + spans(b.spans) + "</p>\n"; break;
        case BlockKind::Subheading: out += "<h3>" + spans(b.spans) + "</h3>\n"; break;
        case BlockKind::Bullet: out += "<li>" + spans(b.spans) + "</li>\n"; break;
        case BlockKind::Step:
            out += "<li value=\"" + std::to_string(b.number) + "\">" + spans(b.spans) + "</li>\n";
            break;
        case BlockKind::Table:
            out += "<table>\n";
            for (size_t r = 0; r < b.rows.size(); ++r) {
                const char* cell = r == 0 ? "th" : "td";
                out += "<tr>";
                for (const Line& c : b.rows[r]) out += std::string("<") + cell + ">" + spans(c) + "</" + cell + ">";
                out += "</tr>\n";
            }
            out += "</table>\n";
            break;
        case BlockKind::Image: {
            auto it = images.find(b.image);
            if (it == images.end()) throw std::runtime_error("no picture file given for " + b.image);
            out += "<figure><img src=\"data:image/png;base64," + base64(it->second) + "\" alt=\"" +
                   escapeHtml(b.alt) + "\"><figcaption>" + escapeHtml(b.alt) + "</figcaption></figure>\n";
            break;
        }
        }
    }
    if (!openList.empty()) out += "</" + openList + ">\n";
}

}  // namespace

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string writeHtml(const Document& doc, const std::map<std::string, std::vector<uint8_t>>& images) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                      escapeHtml(doc.title) + "</title>\n<style>" + style + "</style>\n</head>\n<body>\n";
    out += "<h1 id=\"contents\">" + escapeHtml(doc.title) + "</h1>\n";
    blocks(out, doc.topics[0].blocks, images);
    out += "<nav>\n<b>Contents</b>\n<ol>\n";
    for (size_t t = 1; t < doc.topics.size(); ++t)
        out += "<li><a href=\"#" + doc.topics[t].id + "\">" + escapeHtml(doc.topics[t].title) + "</a></li>\n";
    out += "</ol>\n</nav>\n";
    for (size_t t = 1; t < doc.topics.size(); ++t) {
        const Topic& topic = doc.topics[t];
        out += "<section>\n<h2 id=\"" + topic.id + "\">" + escapeHtml(topic.title) + "</h2>\n";
        blocks(out, topic.blocks, images);
        out += "<p><a href=\"#contents\">Contents</a></p>\n</section>\n";
    }
    out += "</body>\n</html>\n";
    return out;
}

}  // namespace helpwriter
