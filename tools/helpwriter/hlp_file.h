// WinHelp 3.1 files: the writer of orvanta.hlp and a reader of what it wrote.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "document.h"

namespace helpwriter {

// The WinHelp context hash of a topic id (letters ignore case).
uint32_t contextHash(const std::string& id);

// UTF-8 text as Windows code page 1252; throws std::runtime_error on a
// character that page does not hold.
std::string toCp1252(const std::string& utf8);

// The whole .hlp file of the document: the title in |SYSTEM, the first topic
// as the contents topic, one topic per section, jumps by context hash.
// Throws std::runtime_error when the document does not fit the format
// (a paragraph larger than a topic block, too many topics for one tree page).
std::vector<uint8_t> writeHlp(const Document& doc);

// What a reader finds in a topic.
struct ReadTopic {
    std::string title;            // cp1252
    uint32_t headerPos = 0;       // TOPICPOS of its topic header
    uint32_t ofs = 0;             // TOPICOFFSET of its topic header
    uint32_t browseBack = 0, browseForward = 0, topicNumber = 0;
    std::vector<std::string> paragraphs;  // the text of each paragraph, cp1252, commands dropped
    std::vector<uint32_t> jumps;          // hashes of the jumps, in order
    std::vector<uint32_t> fonts;          // font descriptors switched to
};

// Reads a .hlp file the way a help viewer does. Every structural fault
// throws std::runtime_error naming what is wrong.
class HlpReader {
public:
    explicit HlpReader(std::vector<uint8_t> bytes);
    // The directory's entries, name to file offset, in tree order.
    const std::vector<std::pair<std::string, uint32_t>>& directory() const { return directory_; }
    // The data of an internal file found through the directory tree; none when missing.
    std::optional<std::vector<uint8_t>> file(const std::string& name) const;
    std::string title() const { return title_; }
    // The caption of the window record named "main" ("" when there is none).
    std::string mainWindowCaption() const { return mainCaption_; }
    uint32_t contentsOfs() const { return contentsOfs_; }
    uint32_t topicBlockSize() const { return topicBlockSize_; }
    // |CONTEXT: hash to ofs, read from the tree (its leaf order must follow signed hashes).
    const std::map<uint32_t, uint32_t>& context() const { return context_; }
    // |TTLBTREE: ofs to title.
    const std::map<uint32_t, std::string>& titles() const { return titles_; }
    // Face names and descriptor count of |FONT.
    const std::vector<std::string>& faces() const { return faces_; }
    size_t fontDescriptors() const { return fontDescriptors_; }
    // The topics in chain order, from TOPICPOS 12 through NextBlock, without END.
    const std::vector<ReadTopic>& topics() const { return topics_; }

private:
    void readDirectory();
    void readSystem();
    void readFont();
    void readTopics();
    std::vector<std::vector<uint8_t>> leafEntries(const std::vector<uint8_t>& tree, const char* structure,
                                                  size_t entryFixed, bool nulTerminatedTail) const;

    std::vector<uint8_t> bytes_;
    std::vector<std::pair<std::string, uint32_t>> directory_;
    std::string title_, mainCaption_;
    uint32_t contentsOfs_ = 0xFFFFFFFF;
    uint32_t topicBlockSize_ = 0;
    std::map<uint32_t, uint32_t> context_;
    std::map<uint32_t, std::string> titles_;
    std::vector<std::string> faces_;
    size_t fontDescriptors_ = 0;
    std::vector<ReadTopic> topics_;
};

}  // namespace helpwriter
