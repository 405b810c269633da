// Writes a WinHelp 3.1 file without compression: |SYSTEM, |FONT, |TOPIC,
// |CONTEXT, |TTLBTREE, |CTXOMAP and the directory, each B+ tree on one leaf.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "hlp_file.h"

namespace helpwriter {

namespace {

constexpr uint32_t fileMagic = 0x00035F3F;
constexpr uint16_t treeMagic = 0x293B;
constexpr uint16_t directoryFlags = 0x0402, treeFlags = 0x0002;
constexpr uint16_t directoryPage = 0x0400, treePage = 0x0800;
constexpr size_t treeHeaderSize = 38, leafHeaderSize = 8;
constexpr uint8_t fileHeaderFlags = 4;
constexpr uint32_t none = 0xFFFFFFFF;

constexpr uint16_t systemMagic = 0x036C, systemMinor = 21, systemMajor = 1;
constexpr uint32_t generationDate = 0;  // fixed, so that a build is reproducible
constexpr uint16_t recordTitle = 1, recordContents = 3, recordWindow = 6;
// The window record: flags, type[10], name[9], caption[51], then position,
// size, show state and colours, 90 bytes. Naming the window "main" with a
// caption makes the viewer title its main window with it.
constexpr size_t windowRecordSize = 90, windowNameAt = 12, windowCaptionAt = 21, windowCaptionMax = 50;
constexpr uint16_t windowHasName = 0x0002, windowHasCaption = 0x0004;

constexpr size_t blockSize = 4096, blockHeaderSize = 12, blockData = blockSize - blockHeaderSize;
constexpr uint32_t posBlockFactor = 0x4000, ofsBlockFactor = 0x8000;
constexpr size_t linkHeaderSize = 21, topicHeaderLd1 = 28;
constexpr uint8_t typeTopicHeader = 0x02, typeText = 0x20;

// Paragraph attribute bits and the commands inside a paragraph.
constexpr uint16_t bitSpaceAbove = 0x0002, bitSpaceBelow = 0x0004, bitLeftIndent = 0x0010, bitFirstIndent = 0x0040, bitTabs = 0x0200;
constexpr uint8_t cmdFont = 0x80, cmdEndParagraph = 0x82, cmdTab = 0x83, cmdJump = 0xE3, cmdEndHotspot = 0x89,
                  cmdEnd = 0xFF;

// Font descriptors of |FONT.
enum Font : uint16_t { fontNormal, fontBold, fontTitle, fontSubheading, fontCode };
struct FontDescriptor {
    uint8_t attributes, halfPoints, family;
    uint16_t face;
};
constexpr uint8_t attrBold = 1, familyModern = 1, familySwiss = 3;
const char* const faceNames[] = {"Arial", "Courier New"};
constexpr size_t faceNameWidth = 20;
constexpr FontDescriptor fonts[] = {
    {0, 20, familySwiss, 0},         // text, 10 pt
    {attrBold, 20, familySwiss, 0},  // bold text
    {attrBold, 28, familySwiss, 0},  // topic title, 14 pt
    {attrBold, 22, familySwiss, 0},  // subheading, 11 pt
    {0, 20, familyModern, 1},        // code
};

// Layout in half-points.
constexpr int paragraphGap = 10, titleGap = 14, itemGap = 4, subheadingGap = 12;
constexpr int listIndent = 36, listHang = 18, stepIndent = 40;
constexpr int charWidth = 11, boldCharWidth = 12, codeCharWidth = 14, columnGap = 20, maxColumnStart = 280;

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
void putString(std::vector<uint8_t>& b, const std::string& s, bool nul) {
    b.insert(b.end(), s.begin(), s.end());
    if (nul) b.push_back(0);
}

void putCushort(std::vector<uint8_t>& b, uint32_t v) {
    if (v < 0x80) b.push_back(uint8_t(v * 2));
    else if (v < 0x8000) put16(b, v * 2 + 1);
    else throw std::runtime_error("value too large for a compressed unsigned short");
}
void putCsshort(std::vector<uint8_t>& b, int v) {
    if (v >= -64 && v < 64) b.push_back(uint8_t((v + 64) * 2));
    else if (v >= -16384 && v < 16384) put16(b, uint32_t((v + 16384) * 2 + 1));
    else throw std::runtime_error("value too large for a compressed short");
}
void putCslong(std::vector<uint8_t>& b, int32_t v) {
    if (v >= -16384 && v < 16384) put16(b, uint32_t((v + 16384) * 2));
    else put32(b, uint32_t((int64_t(v) + 0x40000000) * 2 + 1));
}

// One paragraph being built: its attributes, commands (LD1) and text (LD2).
// Every command gets exactly one NUL in the text, ending the run before it.
class Paragraph {
public:
    void spaceAbove(int v) { bits_ |= bitSpaceAbove, spaceAbove_ = v; }
    void spaceBelow(int v) { bits_ |= bitSpaceBelow, spaceBelow_ = v; }
    void indent(int left, int first) { bits_ |= bitLeftIndent | bitFirstIndent, left_ = left, first_ = first; }
    void tabs(std::vector<int> stops) { bits_ |= bitTabs, tabs_ = std::move(stops); }
    void text(const std::string& cp1252) { ld2_.insert(ld2_.end(), cp1252.begin(), cp1252.end()); }
    void font(uint16_t f) {
        command({cmdFont, uint8_t(f), uint8_t(f >> 8)});
    }
    void tab() { command({cmdTab}); }
    void jump(uint32_t hash) {
        command({cmdJump, uint8_t(hash), uint8_t(hash >> 8), uint8_t(hash >> 16), uint8_t(hash >> 24)});
    }
    void endHotspot() { command({cmdEndHotspot}); }

    // Ends the paragraph; the record's LD1 and LD2.
    void finish(std::vector<uint8_t>& ld1, std::vector<uint8_t>& ld2) {
        command({cmdEndParagraph});
        command({cmdEnd});
        std::vector<uint8_t> body = {0x00, 0x80, 0x00, 0x00};  // the fixed bytes and paragraph id 0
        put16(body, bits_);
        if (bits_ & bitSpaceAbove) putCsshort(body, spaceAbove_);
        if (bits_ & bitSpaceBelow) putCsshort(body, spaceBelow_);
        if (bits_ & bitLeftIndent) putCsshort(body, left_);
        if (bits_ & bitFirstIndent) putCsshort(body, first_);
        if (bits_ & bitTabs) {
            putCsshort(body, int(tabs_.size()));
            for (int t : tabs_) putCushort(body, uint32_t(t));
        }
        body.insert(body.end(), commands_.begin(), commands_.end());
        ld1.clear();
        putCslong(ld1, int32_t(body.size()));
        putCushort(ld1, uint32_t(ld2_.size()));
        ld1.insert(ld1.end(), body.begin(), body.end());
        ld2 = ld2_;
    }

private:
    void command(std::initializer_list<uint8_t> bytes) {
        ld2_.push_back(0);
        commands_.insert(commands_.end(), bytes);
    }
    uint16_t bits_ = 0;
    int spaceAbove_ = 0, spaceBelow_ = 0, left_ = 0, first_ = 0;
    std::vector<int> tabs_;
    std::vector<uint8_t> commands_, ld2_;
};

struct Record {
    uint8_t type = typeText;
    std::vector<uint8_t> ld1, ld2;
    size_t topic = 0;
    uint32_t pos = 0, ofs = 0;
    size_t streamAt = 0;
    uint32_t size() const { return uint32_t(linkHeaderSize + ld1.size() + ld2.size()); }
};

// Spans of a line, the run font given for plain text.
void addSpans(Paragraph& p, const Line& line, uint16_t baseFont) {
    uint16_t current = baseFont;
    p.font(current);
    for (const Span& s : line) {
        const uint16_t want = s.code ? uint16_t(fontCode) : (s.bold || baseFont == fontBold) ? uint16_t(fontBold) : baseFont;
        if (want != current) p.font(current = want);
        if (!s.target.empty()) {
            p.jump(contextHash(s.target));
            p.text(toCp1252(s.text));
            p.endHotspot();
        } else {
            p.text(toCp1252(s.text));
        }
    }
}

// An estimate of the width of a line: code is set in a wider, fixed font.
int textWidth(const Line& line, bool bold) {
    int width = 0;
    for (const Span& span : line) {
        const int per = span.code ? codeCharWidth : (bold || span.bold) ? boldCharWidth : charWidth;
        width += int(toCp1252(span.text).size()) * per;
    }
    return width;
}

// Column starts of a table, the first at 0.
std::vector<int> columnStarts(const Block& table) {
    std::vector<int> starts = {0};
    const size_t columns = table.rows[0].size();
    for (size_t c = 0; c + 1 < columns; ++c) {
        int widest = 0;
        for (size_t r = 0; r < table.rows.size(); ++r)
            widest = std::max(widest, textWidth(table.rows[r][c], r == 0));
        starts.push_back(std::min(starts.back() + widest + columnGap, maxColumnStart * int(c + 1)));
    }
    return starts;
}

std::vector<Record> blockRecords(const Block& b) {
    std::vector<Record> out;
    auto emit = [&](Paragraph& p) {
        Record r;
        p.finish(r.ld1, r.ld2);
        out.push_back(std::move(r));
    };
    switch (b.kind) {
    case BlockKind::Paragraph: {
        Paragraph p;
        p.spaceBelow(paragraphGap);
        addSpans(p, b.spans, fontNormal);
        emit(p);
        break;
    }
    case BlockKind::Subheading: {
        Paragraph p;
        p.spaceAbove(subheadingGap);
        p.spaceBelow(itemGap);
        addSpans(p, b.spans, fontSubheading);
        emit(p);
        break;
    }
    case BlockKind::Bullet:
    case BlockKind::Step: {
        const bool bullet = b.kind == BlockKind::Bullet;
        const int indent = bullet ? listIndent : stepIndent;
        Paragraph p;
        p.spaceBelow(itemGap);
        p.indent(indent, -listHang - (bullet ? 0 : 4));
        p.tabs({indent});
        p.font(fontNormal);
        p.text(bullet ? std::string("\x95") : std::to_string(b.number) + ".");
        p.tab();
        addSpans(p, b.spans, fontNormal);
        emit(p);
        break;
    }
    case BlockKind::Table: {
        const std::vector<int> starts = columnStarts(b);
        for (size_t r = 0; r < b.rows.size(); ++r) {
            Paragraph p;
            p.spaceBelow(r + 1 == b.rows.size() ? paragraphGap : 2);
            if (starts.size() > 1) {
                p.indent(starts.back(), -starts.back());
                p.tabs(std::vector<int>(starts.begin() + 1, starts.end()));
            }
            for (size_t c = 0; c < b.rows[r].size(); ++c) {
                if (c > 0) p.tab();
                addSpans(p, b.rows[r][c], r == 0 ? fontBold : fontNormal);
            }
            emit(p);
        }
        break;
    }
    case BlockKind::Image:
        break;  // pictures are shown by the web page only
    }
    return out;
}

std::vector<uint8_t> systemFile(const std::string& title, uint32_t contentsOfs) {
    std::vector<uint8_t> b;
    put16(b, systemMagic);
    put16(b, systemMinor);
    put16(b, systemMajor);
    put32(b, generationDate);
    put16(b, 0);  // flags: no compression
    const std::string t = toCp1252(title);
    put16(b, recordTitle);
    put16(b, uint32_t(t.size() + 1));
    putString(b, t, true);
    put16(b, recordContents);
    put16(b, 4);
    put32(b, contentsOfs);
    std::vector<uint8_t> window(windowRecordSize, 0);
    window[0] = uint8_t(windowHasName | windowHasCaption);
    std::memcpy(&window[windowNameAt], "main", 4);
    std::memcpy(&window[windowCaptionAt], t.data(), std::min(t.size(), windowCaptionMax));
    put16(b, recordWindow);
    put16(b, uint32_t(window.size()));
    b.insert(b.end(), window.begin(), window.end());
    return b;
}

std::vector<uint8_t> fontFile() {
    const size_t nFaces = sizeof faceNames / sizeof faceNames[0];
    const size_t nDescr = sizeof fonts / sizeof fonts[0];
    std::vector<uint8_t> b;
    put16(b, uint32_t(nFaces));
    put16(b, uint32_t(nDescr));
    put16(b, 8);
    put16(b, uint32_t(8 + nFaces * faceNameWidth));
    for (const char* face : faceNames) {
        std::vector<uint8_t> name(faceNameWidth, 0);
        std::memcpy(name.data(), face, std::min(std::strlen(face), faceNameWidth - 1));
        b.insert(b.end(), name.begin(), name.end());
    }
    for (const FontDescriptor& f : fonts) {
        b.push_back(f.attributes);
        b.push_back(f.halfPoints);
        b.push_back(f.family);
        put16(b, f.face);
        b.insert(b.end(), {0, 0, 0});        // black text
        b.insert(b.end(), {255, 255, 255});  // white background
    }
    return b;
}

// A B+ tree whose entries all fit on one leaf page (the root).
std::vector<uint8_t> oneLeafTree(uint16_t flags, uint16_t pageSize, const char* structure,
                                 const std::vector<std::vector<uint8_t>>& entries) {
    std::vector<uint8_t> b;
    put16(b, treeMagic);
    put16(b, flags);
    put16(b, pageSize);
    std::vector<uint8_t> name(16, 0);
    std::memcpy(name.data(), structure, std::strlen(structure));
    b.insert(b.end(), name.begin(), name.end());
    put16(b, 0);
    put16(b, 0);       // page splits
    put16(b, 0);       // root page
    put16(b, 0xFFFF);
    put16(b, 1);       // pages
    put16(b, 1);       // levels: the root is a leaf
    put32(b, uint32_t(entries.size()));
    size_t used = leafHeaderSize;
    for (const auto& e : entries) used += e.size();
    if (used > pageSize)
        throw std::runtime_error(std::string("too many entries for one page of the ") + structure + " tree");
    const size_t page = b.size();
    put16(b, uint32_t(pageSize - used));
    put16(b, uint32_t(entries.size()));
    put16(b, 0xFFFF);  // no previous leaf
    put16(b, 0xFFFF);  // no next leaf
    for (const auto& e : entries) b.insert(b.end(), e.begin(), e.end());
    b.resize(page + pageSize, 0);
    return b;
}

}  // namespace

uint32_t contextHash(const std::string& id) {
    uint32_t h = 0;
    for (unsigned char c : id) {
        uint32_t m = 0;
        if (c >= 'A' && c <= 'Z') m = 17 + (c - 'A');
        else if (c >= 'a' && c <= 'z') m = 17 + (c - 'a');
        else if (c >= '1' && c <= '9') m = c - '0';
        else if (c == '0') m = 10;
        else if (c == '.') m = 12;
        else if (c == '_') m = 13;
        else throw std::runtime_error("'" + id + "' is no context id (letters, digits, . and _ only)");
        h = h * 43 + m;
    }
    return h;
}

std::string toCp1252(const std::string& utf8) {
    struct Mapping {
        uint32_t code;
        unsigned char byte;
    };
    static const Mapping extra[] = {{0x2013, 0x96}, {0x2014, 0x97}, {0x2018, 0x91}, {0x2019, 0x92},
                                    {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2026, 0x85},
                                    {0x2122, 0x99}, {0x20AC, 0x80}};
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = utf8[i];
        uint32_t code = c;
        size_t len = 1;
        if (c >= 0xF0) code = c & 0x07, len = 4;
        else if (c >= 0xE0) code = c & 0x0F, len = 3;
        else if (c >= 0xC0) code = c & 0x1F, len = 2;
        else if (c >= 0x80) throw std::runtime_error("broken UTF-8 text");
        if (i + len > utf8.size()) throw std::runtime_error("broken UTF-8 text");
        for (size_t k = 1; k < len; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
        i += len;
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            out += char(code);
            continue;
        }
        bool found = false;
        for (const Mapping& m : extra)
            if (m.code == code) out += char(m.byte), found = true;
        if (!found) throw std::runtime_error("character U+" + std::to_string(code) + " is not in code page 1252");
    }
    return out;
}

std::vector<uint8_t> writeHlp(const Document& doc) {
    if (doc.topics.empty()) throw std::runtime_error("no topics");

    // 1. The records of every topic: a topic header, the title line, the blocks.
    std::vector<Record> records;
    std::vector<size_t> headerIndex;
    for (size_t t = 0; t < doc.topics.size(); ++t) {
        const Topic& topic = doc.topics[t];
        Record header;
        header.type = typeTopicHeader;
        header.ld1.assign(topicHeaderLd1, 0);
        const std::string title = toCp1252(topic.title);
        header.ld2.assign(title.begin(), title.end());
        header.topic = t;
        headerIndex.push_back(records.size());
        records.push_back(header);

        Paragraph heading;
        heading.spaceBelow(titleGap);
        heading.font(fontTitle);
        heading.text(title);
        Record r;
        heading.finish(r.ld1, r.ld2);
        r.topic = t;
        records.push_back(r);
        for (const Block& b : topic.blocks)
            for (Record& br : blockRecords(b)) {
                br.topic = t;
                records.push_back(std::move(br));
            }
    }
    Record end;  // the empty topic header that ends the chain
    end.type = typeTopicHeader;
    end.ld1.assign(topicHeaderLd1, 0);
    end.topic = doc.topics.size();
    records.push_back(end);

    // 2. Layout over 4084-byte blocks: TOPICPOS and TOPICOFFSET of every record.
    size_t at = 0, countBlock = 0;
    uint32_t count = 0;
    for (Record& r : records) {
        if (r.size() > blockData - linkHeaderSize)
            throw std::runtime_error("a paragraph of " + std::to_string(r.size()) + " bytes does not fit a topic block");
        if (blockData - at % blockData < linkHeaderSize) at += blockData - at % blockData;
        const size_t block = at / blockData;
        if (block != countBlock) countBlock = block, count = 0;
        r.streamAt = at;
        r.pos = uint32_t(block * posBlockFactor + blockHeaderSize + at % blockData);
        r.ofs = uint32_t(block * ofsBlockFactor + count);
        if (r.type == typeText) count += uint32_t(r.ld2.size());
        at += r.size();
    }

    // 3. Topic headers and the chain.
    const size_t nTopics = doc.topics.size();
    headerIndex.push_back(records.size() - 1);  // END
    for (size_t t = 0; t < nTopics; ++t) {
        Record& h = records[headerIndex[t]];
        uint32_t size = 0;
        for (size_t i = headerIndex[t]; i < headerIndex[t + 1]; ++i) size += records[i].size();
        set32(h.ld1, 0, size);
        set32(h.ld1, 4, t > 0 ? records[headerIndex[t - 1]].ofs : none);
        set32(h.ld1, 8, t + 1 < nTopics ? records[headerIndex[t + 1]].ofs : none);
        set32(h.ld1, 12, uint32_t(t));
        set32(h.ld1, 16, none);                            // no non-scrolling region
        set32(h.ld1, 20, records[headerIndex[t] + 1].pos);  // the title line
        set32(h.ld1, 24, records[headerIndex[t + 1]].pos);
    }
    Record& endRecord = records.back();
    set32(endRecord.ld1, 0, 0);
    for (size_t f = 4; f < topicHeaderLd1; f += 4) set32(endRecord.ld1, f, none);

    std::vector<uint8_t> stream(at, 0);
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        std::vector<uint8_t> link;
        put32(link, r.size());
        put32(link, uint32_t(r.ld2.size()));
        put32(link, i > 0 ? records[i - 1].pos : none);
        put32(link, i + 1 < records.size() ? records[i + 1].pos : none);
        put32(link, uint32_t(linkHeaderSize + r.ld1.size()));
        link.push_back(r.type);
        link.insert(link.end(), r.ld1.begin(), r.ld1.end());
        link.insert(link.end(), r.ld2.begin(), r.ld2.end());
        std::copy(link.begin(), link.end(), stream.begin() + long(r.streamAt));
    }
    const size_t nBlocks = (stream.size() + blockData - 1) / blockData;
    std::vector<uint8_t> topicFile;
    for (size_t blk = 0; blk < nBlocks; ++blk) {
        uint32_t lastLink = none, firstLink = none, lastHeader = blk == 0 ? 0 : none;
        for (const Record& r : records) {
            const size_t rb = r.streamAt / blockData;
            if (rb < blk) {
                lastLink = r.pos;
                if (r.type == typeTopicHeader) lastHeader = r.pos;
            } else if (rb == blk && firstLink == none) {
                firstLink = r.pos;
            }
        }
        put32(topicFile, lastLink);
        put32(topicFile, firstLink);
        put32(topicFile, lastHeader);
        const size_t from = blk * blockData;
        const size_t to = std::min(stream.size(), from + blockData);
        topicFile.insert(topicFile.end(), stream.begin() + long(from), stream.begin() + long(to));
        topicFile.resize((blk + 1) * blockSize, 0);  // every block full: readers copy 4084 bytes
    }

    // 4. The other internal files.
    std::vector<std::vector<uint8_t>> contextEntries, titleEntries;
    std::vector<std::pair<int32_t, uint32_t>> hashes;
    for (size_t t = 0; t < nTopics; ++t)
        hashes.emplace_back(int32_t(contextHash(doc.topics[t].id)), records[headerIndex[t]].ofs);
    std::sort(hashes.begin(), hashes.end());
    for (size_t i = 1; i < hashes.size(); ++i)
        if (hashes[i].first == hashes[i - 1].first)
            throw std::runtime_error("two topic ids with the same context hash");
    for (const auto& [hash, ofs] : hashes) {
        std::vector<uint8_t> e;
        put32(e, uint32_t(hash));
        put32(e, ofs);
        contextEntries.push_back(e);
    }
    for (size_t t = 0; t < nTopics; ++t) {  // topics are laid out in order, so ofs ascends
        std::vector<uint8_t> e;
        put32(e, records[headerIndex[t]].ofs);
        putString(e, toCp1252(doc.topics[t].title), true);
        titleEntries.push_back(e);
    }
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"|CONTEXT", oneLeafTree(treeFlags, treePage, "L4", contextEntries)},
        {"|CTXOMAP", {0, 0}},
        {"|FONT", fontFile()},
        {"|SYSTEM", systemFile(doc.title, records[headerIndex[0]].ofs)},
        {"|TOPIC", topicFile},
        {"|TTLBTREE", oneLeafTree(treeFlags, treePage, "Lz", titleEntries)},
    };
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.first.c_str(), b.first.c_str()) < 0; });

    // 5. Header, files, directory.
    std::vector<uint8_t> out(16, 0);
    auto addFile = [&out](const std::vector<uint8_t>& data) {
        const uint32_t offset = uint32_t(out.size());
        put32(out, uint32_t(data.size() + 9));  // reserved = used + header: no slack
        put32(out, uint32_t(data.size()));
        out.push_back(fileHeaderFlags);
        out.insert(out.end(), data.begin(), data.end());
        return offset;
    };
    std::vector<std::vector<uint8_t>> directoryEntries;
    for (const auto& [name, data] : files) {
        std::vector<uint8_t> e;
        putString(e, name, true);
        put32(e, addFile(data));
        directoryEntries.push_back(e);
    }
    const uint32_t directoryAt = addFile(oneLeafTree(directoryFlags, directoryPage, "z4", directoryEntries));
    set32(out, 0, fileMagic);
    set32(out, 4, directoryAt);
    set32(out, 8, none);
    set32(out, 12, uint32_t(out.size()));
    return out;
}

}  // namespace helpwriter
