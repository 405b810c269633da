// Reads a WinHelp 3.1 file back the way a help viewer walks it: the header,
// the directory tree, |SYSTEM, |FONT, the trees of |CONTEXT and |TTLBTREE,
// and the topic chain of |TOPIC with every paragraph's commands and text.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "hlp_file.h"

namespace helpwriter {

namespace {

[[noreturn]] void bad(const std::string& what) {
    throw std::runtime_error(what);
}

uint32_t get16(const std::vector<uint8_t>& b, size_t at) {
    if (at + 2 > b.size()) bad("read past the end at " + std::to_string(at));
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}
uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
    return get16(b, at) | get16(b, at + 2) << 16;
}

// A cursor over the commands of a paragraph.
struct Cursor {
    const std::vector<uint8_t>& b;
    size_t at;
    uint8_t u8() {
        if (at >= b.size()) bad("paragraph data ends early");
        return b[at++];
    }
    uint32_t u16() {
        uint32_t v = get16(b, at);
        at += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t v = get32(b, at);
        at += 4;
        return v;
    }
    uint32_t cushort() {
        if (b.at(at) & 1) return u16() >> 1;
        return u8() >> 1;
    }
    int csshort() {
        if (b.at(at) & 1) return int(u16() >> 1) - 16384;
        return int(u8() >> 1) - 64;
    }
    int32_t cslong() {
        if (b.at(at) & 1) return int32_t(int64_t(u32() >> 1) - 0x40000000);
        return int32_t(u16() >> 1) - 16384;
    }
};

constexpr size_t blockSize = 4096, blockHeader = 12, blockData = blockSize - blockHeader;

}  // namespace

HlpReader::HlpReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() < 16 || get32(bytes_, 0) != 0x00035F3F) bad("not a help file (magic)");
    if (get32(bytes_, 12) != bytes_.size()) bad("the header's file size differs from the real size");
    readDirectory();
    readSystem();
    readFont();
    // A viewer searches |CONTEXT by signed hash and |TTLBTREE by ofs: the leaf
    // order must follow.
    bool first = true;
    int32_t previousHash = 0;
    for (const auto& e : leafEntries(file("|CONTEXT").value_or(std::vector<uint8_t>{}), "L4", 8, false)) {
        const int32_t hash = int32_t(get32(e, 0));
        if (!first && hash <= previousHash) bad("|CONTEXT entries are not in signed hash order");
        first = false;
        previousHash = hash;
        context_[get32(e, 0)] = get32(e, 4);
    }
    if (auto ttl = file("|TTLBTREE")) {
        uint32_t previousOfs = 0;
        first = true;
        for (const auto& e : leafEntries(*ttl, "Lz", 4, true)) {
            if (!first && get32(e, 0) <= previousOfs) bad("|TTLBTREE entries are not in ofs order");
            first = false;
            previousOfs = get32(e, 0);
            titles_[get32(e, 0)] = std::string(e.begin() + 4, e.end() - 1);
        }
    }
    readTopics();
}

// The leaf entries of a one-level tree, checked for the order a viewer's
// lookup relies on.
std::vector<std::vector<uint8_t>> HlpReader::leafEntries(const std::vector<uint8_t>& tree, const char* structure,
                                                        size_t entryFixed, bool nulTerminatedTail) const {
    if (tree.size() < 38) bad(std::string("missing or short ") + structure + " tree");
    if (get16(tree, 0) != 0x293B) bad(std::string(structure) + " tree: bad magic");
    if (std::strncmp(reinterpret_cast<const char*>(&tree[6]), structure, 16) != 0)
        bad(std::string("tree structure is not ") + structure);
    const uint32_t pageSize = get16(tree, 4);
    const uint32_t root = get16(tree, 26), pages = get16(tree, 30), levels = get16(tree, 32);
    const uint32_t total = get32(tree, 34);
    if (levels != 1 || root >= pages) bad(std::string(structure) + " tree: only one-leaf trees are read");
    if (tree.size() != 38 + size_t(pages) * pageSize) bad(std::string(structure) + " tree: size is not header + pages");
    const size_t page = 38 + size_t(root) * pageSize;
    const uint32_t n = get16(tree, page + 2);
    if (n != total) bad(std::string(structure) + " tree: entry counts differ");
    std::vector<std::vector<uint8_t>> out;
    size_t at = page + 8;
    for (uint32_t i = 0; i < n; ++i) {
        size_t end = at + entryFixed;
        if (nulTerminatedTail) {
            while (end < page + pageSize && tree[end] != 0) ++end;
            ++end;
        }
        if (end > page + pageSize) bad(std::string(structure) + " tree: entry beyond its page");
        out.emplace_back(tree.begin() + long(at), tree.begin() + long(end));
        at = end;
    }
    if (get16(tree, page) != page + pageSize - at) bad(std::string(structure) + " tree: wrong free byte count");
    return out;
}

void HlpReader::readDirectory() {
    const uint32_t at = get32(bytes_, 4);
    if (at + 9 > bytes_.size()) bad("directory offset beyond the file");
    const uint32_t reserved = get32(bytes_, at), used = get32(bytes_, at + 4);
    if (reserved != used + 9 || at + reserved > bytes_.size()) bad("directory file header: slack or overrun");
    std::vector<uint8_t> tree(bytes_.begin() + at + 9, bytes_.begin() + at + 9 + used);
    if (get16(tree, 2) != 0x0402) bad("directory tree flags");
    std::string previous;
    if (std::strncmp(reinterpret_cast<const char*>(&tree.at(6)), "z4", 16) != 0 || get16(tree, 32) != 1)
        bad("directory: not a one-leaf z4 tree");
    const size_t page = 38 + size_t(get16(tree, 26)) * get16(tree, 4);
    const uint32_t n = get16(tree, page + 2);
    size_t p = page + 8;
    for (uint32_t i = 0; i < n; ++i) {
        size_t end = p;
        while (end < tree.size() && tree[end] != 0) ++end;
        if (end + 5 > tree.size()) bad("directory entry beyond its page");
        std::string name(tree.begin() + long(p), tree.begin() + long(end));
        if (!previous.empty() && std::strcmp(previous.c_str(), name.c_str()) >= 0)
            bad("directory names out of byte order: " + previous + ", " + name);
        directory_.emplace_back(name, get32(tree, end + 1));
        previous = name;
        p = end + 5;
    }
}

std::optional<std::vector<uint8_t>> HlpReader::file(const std::string& name) const {
    for (const auto& [n, at] : directory_) {
        if (n != name) continue;
        if (size_t(at) + 9 > bytes_.size()) bad(name + ": offset beyond the file");
        const uint32_t reserved = get32(bytes_, at), used = get32(bytes_, at + 4);
        // A viewer takes the file's end from the reserved space: slack would be read as data.
        if (reserved != used + 9) bad(name + ": reserved space is not used + 9");
        if (size_t(at) + reserved > bytes_.size()) bad(name + ": runs past the end of the file");
        return std::vector<uint8_t>(bytes_.begin() + at + 9, bytes_.begin() + at + reserved);
    }
    return std::nullopt;
}

void HlpReader::readSystem() {
    auto sys = file("|SYSTEM");
    if (!sys) bad("no |SYSTEM");
    const auto& s = *sys;
    if (get16(s, 0) != 0x036C) bad("|SYSTEM magic");
    const uint32_t minor = get16(s, 2), flags = get16(s, 10);
    if (minor <= 16) bad("|SYSTEM: a 3.0 file");
    if (flags != 0) bad("|SYSTEM: compressed topics are not read");
    topicBlockSize_ = 4096;
    for (size_t at = 12; at < s.size();) {
        const uint32_t type = get16(s, at), size = get16(s, at + 2);
        if (at + 4 + size > s.size()) bad("|SYSTEM record past the end");
        if (type == 1) title_ = std::string(reinterpret_cast<const char*>(&s[at + 4]), strnlen(reinterpret_cast<const char*>(&s[at + 4]), size));
        if (type == 3) {
            if (size != 4) bad("|SYSTEM contents record is not 4 bytes");
            contentsOfs_ = get32(s, at + 4);
        }
        if (type == 6) {
            if (size != 90) bad("|SYSTEM window record is not 90 bytes");
            const char* w = reinterpret_cast<const char*>(&s[at + 4]);
            if ((s[at + 4] & 0x02) && std::string(w + 12, strnlen(w + 12, 9)) == "main" && (s[at + 4] & 0x04))
                mainCaption_.assign(w + 21, strnlen(w + 21, 51));
        }
        at += 4 + size;
    }
}

void HlpReader::readFont() {
    auto font = file("|FONT");
    if (!font) bad("no |FONT");
    const auto& f = *font;
    const uint32_t nFaces = get16(f, 0), nDescr = get16(f, 2), facesOff = get16(f, 4), descrOff = get16(f, 6);
    if (facesOff >= 12) bad("|FONT: faces offset of a newer format");
    if (nFaces == 0 || (descrOff - facesOff) % nFaces != 0) bad("|FONT: face table size");
    const uint32_t width = (descrOff - facesOff) / nFaces;
    for (uint32_t i = 0; i < nFaces; ++i) {
        const char* name = reinterpret_cast<const char*>(&f.at(facesOff + i * width));
        faces_.emplace_back(name, strnlen(name, width));
    }
    if (descrOff + nDescr * 11 > f.size()) bad("|FONT: descriptors past the end");
    for (uint32_t i = 0; i < nDescr; ++i)
        if (get16(f, descrOff + i * 11 + 3) >= nFaces) bad("|FONT: descriptor names a missing face");
    fontDescriptors_ = nDescr;
}

void HlpReader::readTopics() {
    auto topic = file("|TOPIC");
    if (!topic) bad("no |TOPIC");
    const auto& t = *topic;
    if (t.empty() || t.size() % blockSize != 0) bad("|TOPIC is not whole 4096-byte blocks");
    std::vector<uint8_t> stream;  // the block data without the block headers
    for (size_t b = 0; b < t.size() / blockSize; ++b)
        stream.insert(stream.end(), t.begin() + long(b * blockSize + blockHeader), t.begin() + long((b + 1) * blockSize));

    auto streamAt = [&](uint32_t pos) {
        const size_t block = pos / 0x4000, off = pos % 0x4000;
        if (off < blockHeader || off - blockHeader >= blockData) bad("TOPICPOS " + std::to_string(pos) + " outside block data");
        return block * blockData + off - blockHeader;
    };
    // Block headers: FirstTopicLink must be the first record starting in each block.
    std::vector<uint32_t> firstInBlock(t.size() / blockSize, 0xFFFFFFFF);

    uint32_t pos = 12, prev = 0xFFFFFFFF;
    size_t count = 0, countBlock = 0, guard = 0;
    ReadTopic* current = nullptr;
    std::vector<std::pair<uint32_t, uint32_t>> headerNext;  // (pos, NextTopic) of each header
    for (;;) {
        if (++guard > 100000) bad("the topic chain does not end");
        const size_t at = streamAt(pos);
        if (at + 21 > stream.size()) bad("record header past the end of |TOPIC");
        const size_t block = pos / 0x4000;
        if (firstInBlock[block] == 0xFFFFFFFF) firstInBlock[block] = pos;
        if (block != countBlock) countBlock = block, count = 0;
        const uint32_t blockSizeField = get32(stream, at), len2 = get32(stream, at + 4);
        const uint32_t prevBlock = get32(stream, at + 8), next = get32(stream, at + 12);
        const uint32_t len1 = get32(stream, at + 16);
        const uint8_t type = stream[at + 20];
        if (prevBlock != prev) bad("PrevBlock of record at " + std::to_string(pos) + " does not name the previous record");
        if (blockSizeField != len1 + len2 || len1 < 21 || at + blockSizeField > stream.size())
            bad("record sizes at " + std::to_string(pos));
        std::vector<uint8_t> ld1(stream.begin() + long(at + 21), stream.begin() + long(at + len1));
        std::vector<uint8_t> ld2(stream.begin() + long(at + len1), stream.begin() + long(at + blockSizeField));
        const uint32_t ofs = uint32_t(block * 0x8000 + count);
        if (type == 0x02) {
            if (ld1.size() != 28) bad("topic header LD1 is not 28 bytes");
            headerNext.emplace_back(pos, get32(ld1, 24));
            if (next == 0xFFFFFFFF) {  // END: the only record without a successor
                if (!ld2.empty()) bad("END has a title");
                break;
            }
            topics_.push_back(ReadTopic{});
            current = &topics_.back();
            current->title.assign(ld2.begin(), ld2.end());
            current->headerPos = pos;
            current->ofs = ofs;
            current->browseBack = get32(ld1, 4);
            current->browseForward = get32(ld1, 8);
            current->topicNumber = get32(ld1, 12);
            if (get32(ld1, 20) != next) bad("a topic's Scroll is not its first text record");
        } else if (type == 0x20) {
            if (!current) bad("text before the first topic header");
            Cursor c{ld1, 0};
            const int32_t topicSize = c.cslong();
            const uint32_t topicLength = c.cushort();
            if (size_t(topicSize) != ld1.size() - c.at) bad("TopicSize of a paragraph");
            if (topicLength != ld2.size()) bad("TopicLength is not the LD2 size");
            if (c.u8() != 0x00 || c.u8() != 0x80) bad("paragraph lead bytes");
            c.u16();
            const uint32_t bits = c.u16();
            for (uint32_t bit : {0x0002u, 0x0004u, 0x0008u, 0x0010u, 0x0020u, 0x0040u})
                if (bits & bit) c.csshort();
            if (bits & 0x0100) c.u8(), c.u16();
            if (bits & 0x0200) {
                const int n = c.csshort();
                for (int i = 0; i < n; ++i)
                    if (c.cushort() & 0x4000) c.cushort();
            }
            // Text and commands alternate: a run up to a NUL, then one command.
            std::string text;
            size_t t2 = 0;
            for (;;) {
                const size_t nul = std::find(ld2.begin() + long(t2), ld2.end(), uint8_t(0)) - ld2.begin();
                if (nul >= ld2.size()) bad("fewer NULs in the text than commands");
                text.append(ld2.begin() + long(t2), ld2.begin() + long(nul));
                t2 = nul + 1;
                const uint8_t cmd = c.u8();
                if (cmd == 0xFF) break;
                switch (cmd) {
                case 0x80: current->fonts.push_back(c.u16()); break;
                case 0x81: text += '\n'; break;
                case 0x82: break;
                case 0x83: text += '\t'; break;
                case 0x89: break;
                case 0xE2: case 0xE3: case 0xE6: case 0xE7: current->jumps.push_back(c.u32()); break;
                default: bad("unknown paragraph command " + std::to_string(cmd));
                }
            }
            if (t2 != ld2.size()) bad("text left after the last command");
            current->paragraphs.push_back(text);
            count += ld2.size();
        } else {
            bad("unexpected record type " + std::to_string(type));
        }
        prev = pos;
        pos = next;
    }
    // Each header's NextTopic names the next header; END's names nothing.
    for (size_t i = 0; i + 1 < headerNext.size(); ++i)
        if (headerNext[i].second != headerNext[i + 1].first) bad("NextTopic does not name the next topic header");
    if (headerNext.back().second != 0xFFFFFFFF) bad("END's NextTopic is set");
    for (size_t b = 0; b < firstInBlock.size(); ++b)
        if (firstInBlock[b] != 0xFFFFFFFF && get32(t, b * blockSize + 4) != firstInBlock[b])
            bad("block " + std::to_string(b) + ": FirstTopicLink is not its first record");
}

}  // namespace helpwriter
