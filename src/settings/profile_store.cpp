// A portable INI store with the semantics of the Windows profile functions.
// The whole file is read at every call, so edits made by others are seen.
// Lines that are not understood are kept as they are and otherwise ignored;
// a write changes only the lines of the one key it concerns.
#include "settings/profile_store.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

namespace {

constexpr char commentMark = ';';

enum class LineKind { Other, Section, Key };

// One line of the file as offsets into its text: the text runs from begin to
// textEnd, the line end up to end. As on Windows, "\r\n", "\n" and a lone
// "\r" (the line end of some old editors) each end a line; the last line may
// have none.
// Names and values are views into the same text.
struct Line {
    size_t begin = 0, textEnd = 0, end = 0;
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed and unquoted
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0') return false;
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return b[i] == '\0';
}

// A value in matching single or double quotes loses them, as on Windows.
std::string_view unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

void classify(Line& line, std::string_view text) {
    const std::string_view t = trim(text);
    if (t.empty() || t[0] == commentMark) return;
    if (t[0] == '[') {
        // Windows takes every line that starts with '[' as a section header,
        // its name up to the last ']' or, when the bracket was never typed,
        // to the end of the line.
        const size_t close = t.rfind(']');
        line.kind = LineKind::Section;
        line.name = trim(close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1));
        return;
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return;
    line.kind = LineKind::Key;
    line.name = trim(t.substr(0, eq));
    line.value = unquote(trim(t.substr(eq + 1)));
}

// Calls visit with each line in turn until it returns false.
template <typename Visit>
void scanLines(const std::string& content, Visit visit) {
    const std::string_view all(content);
    size_t pos = 0;
    while (pos < all.size()) {
        Line line;
        line.begin = pos;
        const size_t brk = all.find_first_of("\r\n", pos);
        if (brk == std::string_view::npos) {
            line.textEnd = line.end = all.size();
        } else {
            line.textEnd = brk;
            const bool crlf = all[brk] == '\r' && brk + 1 < all.size() && all[brk + 1] == '\n';
            line.end = brk + (crlf ? 2 : 1);
        }
        classify(line, all.substr(line.begin, line.textEnd - line.begin));
        if (!visit(line)) return;
        pos = line.end;
    }
}

std::vector<Line> splitLines(const std::string& content) {
    std::vector<Line> lines;
    scanLines(content, [&lines](const Line& line) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

bool readFile(const std::string& path, std::string& content) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return false;
    content.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) content.append(buffer, n);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    return ok;
}

// Where a section's lines are: its header and one past its last line.
struct SectionSpan {
    size_t header = 0, end = 0;
    bool found = false;
};

// The first section of that name; later ones of the same name are not used.
SectionSpan findSection(const std::vector<Line>& lines, const char* section) {
    SectionSpan span;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && sameName(lines[i].name, section)) {
            span.header = i;
            span.found = true;
            size_t j = i + 1;
            while (j < lines.size() && lines[j].kind != LineKind::Section) ++j;
            span.end = j;
            break;
        }
    }
    return span;
}

// The index of the first line of the span that sets key, or lines.size().
size_t findKey(const std::vector<Line>& lines, const SectionSpan& span, const char* key) {
    for (size_t i = span.header + 1; i < span.end; ++i)
        if (lines[i].kind == LineKind::Key && sameName(lines[i].name, key)) return i;
    return lines.size();
}

// A name that would change the file's structure cannot be written.
bool writableName(const char* name, bool isSection) {
    if (!name || !*name) return false;
    // A key line that starts with '[' or ';' would read as a section header or a comment.
    const std::string_view trimmed = trim(name);
    if (!isSection && !trimmed.empty() && (trimmed[0] == '[' || trimmed[0] == commentMark)) return false;
    for (const char* p = name; *p; ++p) {
        if (*p == '\n' || *p == '\r') return false;
        if (isSection && *p == ']') return false;
        if (!isSection && *p == '=') return false;
    }
    return true;
}

std::string tempPathFor(const std::string& path) {
    static std::mt19937 generator{std::random_device{}()};
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".tmp%08x", unsigned(generator()));
    return path + suffix;
}

// Writes content to a temporary file beside path and renames it over path,
// so the settings file is either the old one or the new one, never a part.
void replaceFile(const std::string& path, const std::string& content) {
    // A settings file the user made read-only stays as it is, as on Windows,
    // even where the rename could replace it (a writable folder, or root).
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return;
    const std::string temp = tempPathFor(path);
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return;
    const bool written = std::fwrite(content.data(), 1, content.size(), out) == content.size();
    if (std::fclose(out) != 0 || !written) {
        std::remove(temp.c_str());
        return;
    }
    if (std::rename(temp.c_str(), path.c_str()) == 0) return;
#ifdef _WIN32
    // The Windows C runtime does not rename over an existing file.
    std::remove(path.c_str());
    if (std::rename(temp.c_str(), path.c_str()) == 0) return;
#endif
    std::remove(temp.c_str());
}

// content with the bytes [from, to) replaced by text.
std::string splice(const std::string& content, size_t from, size_t to, const std::string& text) {
    std::string out;
    out.reserve(content.size() - (to - from) + text.size());
    out.append(content, 0, from).append(text).append(content, to, std::string::npos);
    return out;
}

}  // namespace

ProfileStore::ProfileStore(std::string path) : path_(std::move(path)) {}

std::string ProfileStore::readText(const char* section, const char* key, const char* def,
                                   size_t maxChars) {
    std::string result = def ? def : "";
    std::string content;
    if (section && key && readFile(path_, content)) {
        // Only the first section of the name counts; the scan ends with it.
        bool inSection = false;
        scanLines(content, [&](const Line& line) {
            if (line.kind == LineKind::Section) {
                if (inSection) return false;
                inSection = sameName(line.name, section);
                return true;
            }
            if (inSection && line.kind == LineKind::Key && sameName(line.name, key)) {
                result = std::string(line.value);
                return false;
            }
            return true;
        });
    }
    // Values reach the panel as C strings: an embedded NUL ends them.
    const size_t nul = result.find('\0');
    if (nul != std::string::npos) result.resize(nul);
    if (result.size() > maxChars) result.resize(maxChars);
    return result;
}

int ProfileStore::readInt(const char* section, const char* key, int def) {
    // A marker that no file value can equal tells a missing key from a present one.
    static const char missing[] = "\n";
    const std::string text = readText(section, key, missing, std::string::npos);
    if (text == missing) return def;
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t value = 0;  // wraps modulo 2^32 as the Windows conversion does
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + uint32_t(text[i] - '0');
    if (negative) value = 0u - value;
    return int(int32_t(value));
}

void ProfileStore::writeString(const char* section, const char* key, const char* value) {
    if (!writableName(section, true) || !writableName(key, false)) return;
    std::string content;
    const bool exists = readFile(path_, content);
    const std::vector<Line> lines = splitLines(content);
    // New lines take the line end the file already uses (that of its first line).
    std::string eol = "\n";
    if (!lines.empty() && lines[0].end > lines[0].textEnd)
        eol = content.substr(lines[0].textEnd, lines[0].end - lines[0].textEnd);
    const bool endsOpen = !content.empty() && content.back() != '\n' && content.back() != '\r';

    std::string text;
    if (value) {
        // A line break inside the value would start a new line of the file.
        text = value;
        const size_t cut = text.find_first_of("\r\n");
        if (cut != std::string::npos) text.resize(cut);
    }

    const SectionSpan span = findSection(lines, section);
    const size_t at = span.found ? findKey(lines, span, key) : lines.size();

    std::string updated;
    if (!value) {
        if (at >= lines.size()) return;  // nothing to remove
        // Every line of the key in the section goes: a second "MUTE=1" left
        // behind would otherwise read as the value after the removal.
        updated.reserve(content.size());
        size_t kept = 0;
        for (size_t i = at; i < span.end; ++i) {
            if (lines[i].kind != LineKind::Key || !sameName(lines[i].name, key)) continue;
            updated.append(content, kept, lines[i].begin - kept);
            kept = lines[i].end;
        }
        updated.append(content, kept, std::string::npos);
    } else if (at < lines.size()) {
        // Keeps the key's spelling and the line's own line end.
        updated = splice(content, lines[at].begin, lines[at].textEnd, std::string(lines[at].name) + "=" + text);
    } else if (span.found) {
        // After the section's last non-blank line, before its trailing blank lines.
        size_t insertAt = span.end;
        while (insertAt > span.header + 1 &&
               trim(std::string_view(content).substr(lines[insertAt - 1].begin,
                                                     lines[insertAt - 1].textEnd - lines[insertAt - 1].begin))
                   .empty())
            --insertAt;
        const size_t offset = insertAt < lines.size() ? lines[insertAt].begin : content.size();
        const std::string lead = (offset == content.size() && endsOpen) ? eol : "";
        updated = splice(content, offset, offset, lead + key + "=" + text + eol);
    } else {
        std::string tail = endsOpen ? eol : "";
        if (!content.empty()) tail += eol;
        tail += "[" + std::string(section) + "]" + eol + key + "=" + text + eol;
        updated = content + tail;
    }
    if (exists && updated == content) return;
    replaceFile(path_, updated);
}

}  // namespace orv
