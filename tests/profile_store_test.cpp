// The portable INI store: Windows profile semantics, edits that keep the
// rest of the file, atomic replacement and files that are not INI at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/profile_store.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest()
        : dir(fs::path(::testing::TempDir()) /
              (std::string("profile-") + ::testing::UnitTest::GetInstance()->current_test_info()->name())),
          store((dir / "orvanta.ini").string()) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~ProfileStoreTest() override { fs::remove_all(dir); }

    void put(const std::string& content) {
        std::ofstream out(store.path(), std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string content() const {
        std::ifstream in(store.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string read(const char* section, const char* key, const char* def = "none") {
        return store.readText(section, key, def, 1000);
    }

    fs::path dir;
    ProfileStore store;
};

TEST_F(ProfileStoreTest, MissingFileSectionOrKeyGivesTheDefaultCutToo) {
    EXPECT_EQ(store.readString("SYSTEM", "ADDR", "30C"), "30C");
    EXPECT_EQ(store.readString("SYSTEM", "ADDR", "0123456789abcdefghijkl"), "0123456789abcdefgh");
    EXPECT_EQ(store.readText("SYSTEM", "ADDR", nullptr, 10), "");
    EXPECT_EQ(store.readInt("SYSTEM", "STYLE", 160), 160);
    put("[SYSTEM]\nMIN=88\n");
    EXPECT_EQ(read("Other", "MIN"), "none");
    EXPECT_EQ(read("SYSTEM", "MAX"), "none");
    EXPECT_EQ(store.readInt("SYSTEM", "MAX", -4), -4);
}

TEST_F(ProfileStoreTest, NamesCompareWithoutRegardToCase) {
    store.writeString("SYSTEM", "STATION12", "101.300003");
    EXPECT_EQ(read("System", "Station12"), "101.300003");
    store.writeString("system", "station12", "98.099998");
    EXPECT_EQ(read("SYSTEM", "STATION12"), "98.099998");
    EXPECT_EQ(content(), "[SYSTEM]\nSTATION12=98.099998\n");
    EXPECT_EQ(read("SYSTEM", "STATION1"), "none");  // no prefix matching
}

TEST_F(ProfileStoreTest, ReadsAreCutAndTrimmed) {
    put("[S]\n  key  =   a value with spaces   \nlong=123456789012345678901234\nq=\"quoted \"\nempty=\n");
    EXPECT_EQ(read("S", "key"), "a value with spaces");
    EXPECT_EQ(store.readString("S", "long", ""), "123456789012345678");
    EXPECT_EQ(store.readText("S", "long", "", 4096), "123456789012345678901234");
    EXPECT_EQ(read("S", "q"), "quoted ");
    EXPECT_EQ(read("S", "empty"), "");
}

TEST_F(ProfileStoreTest, ReadIntTakesLeadingDigits) {
    put("[S]\na= 42\nb=-7\nc=+3\nd=12abc\ne=abc\nf=\ng=- 5\nh=0x1F\n");
    const struct {
        const char* key;
        int value;
    } table[] = {{"a", 42}, {"b", -7}, {"c", 3}, {"d", 12}, {"e", 0}, {"f", 0}, {"g", 0}, {"h", 0}, {"zz", 99}};
    for (const auto& row : table) EXPECT_EQ(store.readInt("S", row.key, 99), row.value) << row.key;
}

TEST_F(ProfileStoreTest, WritingKeepsEverythingElse) {
    put("; Orvanta settings\n[SYSTEM]\nADDR=300 ; card 2\n\n[RadioStation]\nSTATION1=87.500000\n"
        "# not a key\nSTATION=3\n\n[AudioSettings]\nMUTE=1\n");
    store.writeString("RadioStation", "STATION", "12");
    store.writeString("RadioStation", "STATION12", "101.300003");
    store.writeString("SYSTEM", "STYLE", "2");
    store.writeString("Position", "X", "150");
    store.writeString("AudioSettings", "MUTE", nullptr);
    EXPECT_EQ(content(),
              "; Orvanta settings\n[SYSTEM]\nADDR=300 ; card 2\nSTYLE=2\n\n[RadioStation]\nSTATION1=87.500000\n"
              "# not a key\nSTATION=12\nSTATION12=101.300003\n\n[AudioSettings]\n\n[Position]\nX=150\n");
}

TEST_F(ProfileStoreTest, RemovingAMissingKeyCreatesNoFile) {
    store.writeString("AudioSettings", "MUTE", nullptr);
    EXPECT_FALSE(fs::exists(store.path()));
    store.writeString("AudioSettings", "MUTE", "1");
    EXPECT_EQ(store.readInt("AudioSettings", "MUTE", 0), 1);
    store.writeString("AudioSettings", "MUTE", nullptr);
    EXPECT_EQ(store.readInt("AudioSettings", "MUTE", 0), 0);
    EXPECT_EQ(content(), "[AudioSettings]\n");
}

TEST_F(ProfileStoreTest, WindowsLineEndsAndAMissingLastLineEndAreKept) {
    put("[A]\r\nK=1\r\n[B]\r\nL=2");
    EXPECT_EQ(read("A", "K"), "1");
    store.writeString("B", "M", "3");
    store.writeString("A", "K", "4");
    EXPECT_EQ(content(), "[A]\r\nK=4\r\n[B]\r\nL=2\r\nM=3\r\n");
}

TEST_F(ProfileStoreTest, WritesReplaceTheFileAtomicallyAndLeaveNoTemporaryFile) {
    for (int i = 0; i < 20; ++i) store.writeString("RadioStation", "STATION", std::to_string(i).c_str());
    EXPECT_EQ(store.readInt("RadioStation", "STATION", 0), 19);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().filename(), "orvanta.ini");
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(ProfileStoreTest, AWriteThatCannotBeMadeChangesNothing) {
    ProfileStore nowhere((dir / "missing-dir" / "orvanta.ini").string());
    nowhere.writeString("SYSTEM", "STYLE", "1");
    EXPECT_EQ(nowhere.readInt("SYSTEM", "STYLE", 7), 7);
    EXPECT_FALSE(fs::exists(dir / "missing-dir"));
}

TEST_F(ProfileStoreTest, ExternalEditsAreSeenAtOnce) {
    store.writeString("SYSTEM", "STYLE", "1");
    put("[SYSTEM]\nSTYLE=2\n");
    EXPECT_EQ(store.readInt("SYSTEM", "STYLE", 0), 2);
}

// A value with a line break used to be able to plant keys and sections.
TEST_F(ProfileStoreTest, ValuesAndNamesCannotChangeTheFileStructure) {
    store.writeString("S", "K", "1\n[SYSTEM]\nADDR=0");
    EXPECT_EQ(read("S", "K"), "1");
    EXPECT_EQ(read("SYSTEM", "ADDR"), "none");
    store.writeString("S]x", "K", "2");
    store.writeString("S", "K=L", "2");
    store.writeString("S", "", "2");
    store.writeString(nullptr, "K", "2");
    store.writeString("S", nullptr, "2");
    EXPECT_EQ(content(), "[S]\nK=1\n");
}

TEST_F(ProfileStoreTest, MalformedFilesReadWhatIsSensible) {
    std::string junk = "\x01\x02garbage\xff\xfe\n[unterminated\nno equals sign here\n";
    junk += std::string(3 << 20, 'x') + "\n";                      // a 3 MB line without '='
    junk += "[SYSTEM]\nK" + std::string(2 << 20, '[') + "=1\n";     // a 2 MB key
    junk += std::string("MIN=88\0junk\n", 12);                       // NUL inside a value
    junk += std::string("bin\0ary=5\n", 10);                         // NUL inside a name
    junk += "STYLE\n=\n==\nADDR=2A0\n[  ]\nK=1\n[]\n[half";
    put(junk);
    EXPECT_EQ(read("SYSTEM", "MIN"), "88");
    EXPECT_EQ(read("SYSTEM", "ADDR"), "2A0");
    EXPECT_EQ(read("SYSTEM", "STYLE"), "none");
    EXPECT_EQ(read("SYSTEM", "bin"), "none");
    EXPECT_EQ(read("unterminated", "x"), "none");
    EXPECT_EQ(read("unterminated", "no equals sign here"), "none");
    EXPECT_EQ(read("half", "x"), "none");
    EXPECT_EQ(read("", "K"), "1");  // "[  ]" is a section without a name
    EXPECT_EQ(store.readInt("SYSTEM", "MIN", 0), 88);

    // Writing into such a file keeps its bytes and adds the key.
    store.writeString("SYSTEM", "STYLE", "1");
    EXPECT_EQ(store.readInt("SYSTEM", "STYLE", 0), 1);
    const std::string after = content();
    const size_t at = junk.find("[  ]\n");
    EXPECT_EQ(after, junk.substr(0, at) + "STYLE=1\n" + junk.substr(at));
}

TEST_F(ProfileStoreTest, BinaryFileGivesDefaults) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += char((i * 7919) & 0xFF);
    put(bytes);
    EXPECT_EQ(read("SYSTEM", "ADDR", "30C"), "30C");
    EXPECT_EQ(store.readInt("RadioStation", "STATION", 160), 160);
}

TEST_F(ProfileStoreTest, FirstOfTwoEqualSectionsAndKeysCounts) {
    put("[S]\nK=1\nK=2\n[s]\nK=3\nL=4\n");
    EXPECT_EQ(read("S", "K"), "1");
    EXPECT_EQ(read("S", "L"), "none");
    // A removal takes every line of the key in that section, so no older
    // duplicate comes back (an unmute must not read as muted next time).
    store.writeString("S", "K", nullptr);
    EXPECT_EQ(read("S", "K"), "none");
    EXPECT_EQ(content(), "[S]\n[s]\nK=3\nL=4\n");
}

// Files as Windows reads them, byte for byte: a lone CR (old editors) ends a
// line, and reading then writing one key changes that key alone.
TEST_F(ProfileStoreTest, CarriageReturnOnlyFilesReadLineByLine) {
    const std::string file = "[SYSTEM]\rSTYLE=2\rADDR=30C\r\r[RadioStation]\rSTATION=7\rMUTE=1\r";
    put(file);
    EXPECT_EQ(store.readInt("SYSTEM", "STYLE", 0), 2);
    EXPECT_EQ(read("SYSTEM", "ADDR"), "30C");
    EXPECT_EQ(store.readInt("RadioStation", "STATION", 0), 7);
    EXPECT_EQ(store.readInt("RadioStation", "MUTE", 0), 1);

    store.writeString("RadioStation", "STATION", "12");
    EXPECT_EQ(content(), "[SYSTEM]\rSTYLE=2\rADDR=30C\r\r[RadioStation]\rSTATION=12\rMUTE=1\r");
    store.writeString("SYSTEM", "MIN", "88");  // a new key keeps the file's own line end
    EXPECT_EQ(content(), "[SYSTEM]\rSTYLE=2\rADDR=30C\rMIN=88\r\r[RadioStation]\rSTATION=12\rMUTE=1\r");
    store.writeString("RadioStation", "MUTE", nullptr);
    EXPECT_EQ(content(), "[SYSTEM]\rSTYLE=2\rADDR=30C\rMIN=88\r\r[RadioStation]\rSTATION=12\r");
    store.writeString("Alarm", "ON", "1");
    EXPECT_EQ(content(), "[SYSTEM]\rSTYLE=2\rADDR=30C\rMIN=88\r\r[RadioStation]\rSTATION=12\r\r[Alarm]\rON=1\r");
}

TEST_F(ProfileStoreTest, MixedAndDoubledLineEndsAreLineEndsToo) {
    put("[A]\r\r\nK=1\n\rL=2\r[B]\nM=3");  // "\r\r\n" is a lone CR, then CRLF
    EXPECT_EQ(read("A", "K"), "1");
    EXPECT_EQ(read("A", "L"), "2");
    EXPECT_EQ(read("A", "M"), "none");
    EXPECT_EQ(read("B", "M"), "3");
    store.writeString("A", "L", "5");
    store.writeString("B", "N", "6");  // the file's first line ends with a lone CR
    EXPECT_EQ(content(), "[A]\r\r\nK=1\n\rL=5\r[B]\nM=3\rN=6\r");
}

// "[RadioStation" without its bracket is the section RadioStation, as on
// Windows (Wine reads it otherwise): its keys are not those of the section
// above, and a write adds no second "[RadioStation]".
TEST_F(ProfileStoreTest, ASectionHeaderWithoutItsClosingBracketIsASection) {
    const std::string file = "[SYSTEM]\r\nSTYLE=1\r\n[RadioStation  \r\nSTATION=5\r\nMUTE=0\r\n";
    put(file);
    EXPECT_EQ(read("SYSTEM", "STATION"), "none");
    EXPECT_EQ(store.readInt("SYSTEM", "STYLE", 0), 1);
    EXPECT_EQ(store.readInt("RadioStation", "STATION", 0), 5);
    store.writeString("RadioStation", "STATION", "9");
    EXPECT_EQ(content(), "[SYSTEM]\r\nSTYLE=1\r\n[RadioStation  \r\nSTATION=9\r\nMUTE=0\r\n");
    store.writeString("RadioStation", "VOLUME", "4");
    EXPECT_EQ(content(), "[SYSTEM]\r\nSTYLE=1\r\n[RadioStation  \r\nSTATION=9\r\nMUTE=0\r\nVOLUME=4\r\n");

    put("[SYSTEM]\nSTYLE=1\n[RadioStation");  // the last line, without a line end
    store.writeString("RadioStation", "STATION", "3");
    EXPECT_EQ(content(), "[SYSTEM]\nSTYLE=1\n[RadioStation\nSTATION=3\n");
    EXPECT_EQ(store.readInt("RadioStation", "STATION", 0), 3);
    EXPECT_EQ(read("SYSTEM", "STATION"), "none");
}

// A key written by name must read back: one that starts with '[' or ';'
// would be a section header or a comment.
TEST_F(ProfileStoreTest, KeysThatWouldReadAsHeadersOrCommentsAreNotWritten) {
    store.writeString("S", "K", "1");
    store.writeString("S", "[T", "2");
    store.writeString("S", " ;C", "3");
    EXPECT_EQ(content(), "[S]\nK=1\n");
}

}  // namespace
}  // namespace orv
