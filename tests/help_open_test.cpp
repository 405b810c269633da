// Opening the manual from the panel: a missing help file gives one plain box
// and lets the help key up; an opened viewer is closed with the panel; on
// POSIX the web page is found beside the program or in its share folder and
// handed to the opener without waiting and without leaving a zombie.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "panel_fixture.h"
#include "panel/keyboard.h"
#include "platform/posix/open_help.h"
#include "settings/shutdown.h"
#include "shell/startup.h"

namespace orv::test {
namespace {

TEST(HelpKey, MissingHelpFileGivesOnePlainBoxAndLetsTheKeyUp) {
    CardPanel f;
    f.h.dialogs.helpResult = HelpResult::FileMissing;
    f.press(110, 60);  // the help key
    ASSERT_EQ(f.h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(f.h.dialogs.boxes[0].text, "The help file C:\\Orvanta\\orvanta.hlp is missing.");
    EXPECT_EQ(f.h.dialogs.boxes[0].title, "Orvanta Help");
    EXPECT_EQ(f.h.dialogs.boxes[0].kind, BoxKind::PlainOk);
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 100, 52));  // released at once: the box took the button's release
    EXPECT_FALSE(f.s().helpOpened);
    f.release();

    // The back end names the file it looked for (the web page where there is no WinHelp).
    f.h.dialogs.helpShownFile = "C:\\Orvanta\\orvanta.html";
    f.h.window.log.clear();
    handleKey(f.app, vk::letterH);
    ASSERT_EQ(f.h.dialogs.boxes.size(), 2u);
    EXPECT_EQ(f.h.dialogs.boxes[1].text, "The help file C:\\Orvanta\\orvanta.html is missing.");

    f.h.dialogs.helpResult = HelpResult::ViewerMissing;
    handleKey(f.app, vk::letterH);
    ASSERT_EQ(f.h.dialogs.boxes.size(), 3u);
    EXPECT_EQ(f.h.dialogs.boxes[2].text,
              "No program could be started to show the help file C:\\Orvanta\\orvanta.html.");
}

TEST(HelpKey, OpenedHelpShowsNoBoxKeepsTheKeyPressedAndClosesWithThePanel) {
    CardPanel f;
    f.setting("System", "Quit", "0");
    f.press(110, 60);
    EXPECT_TRUE(f.h.dialogs.boxes.empty());
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 374, 87));  // pressed until the release
    f.release();
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 100, 52));
    EXPECT_TRUE(f.s().helpOpened);
    EXPECT_TRUE(f.h.dialogs.helpClosed.empty());
    closePanel(f.app);
    ASSERT_EQ(f.h.dialogs.helpClosed.size(), 1u);
    EXPECT_EQ(f.h.dialogs.helpClosed[0], "C:\\Orvanta\\orvanta.hlp");
}

TEST(HelpKey, ClosingWithoutHelpOrCancellingLeavesTheViewerAlone) {
    CardPanel never;
    never.setting("System", "Quit", "0");
    closePanel(never.app);
    EXPECT_TRUE(never.h.dialogs.helpClosed.empty());

    CardPanel missing;  // a help key that found no file opened nothing to close
    missing.setting("System", "Quit", "0");
    missing.h.dialogs.helpResult = HelpResult::FileMissing;
    handleKey(missing.app, vk::letterH);
    closePanel(missing.app);
    EXPECT_TRUE(missing.h.dialogs.helpClosed.empty());

    CardPanel cancelled;
    handleKey(cancelled.app, vk::letterH);
    cancelled.h.dialogs.answers.push_back(BoxAnswer::Cancel);
    closePanel(cancelled.app);
    EXPECT_TRUE(cancelled.h.dialogs.helpClosed.empty());  // the panel stays, so does its help
    cancelled.h.dialogs.answers.push_back(BoxAnswer::Yes);
    closePanel(cancelled.app);
    EXPECT_EQ(cancelled.h.dialogs.helpClosed.size(), 1u);
}

// A scratch folder laid out like an installation: <root>/bin/orvanta and
// <root>/share/doc/orvanta/.
struct Install {
    std::string root;
    Install() {
        char pattern[] = "/tmp/orvanta-help-XXXXXX";
        root = mkdtemp(pattern);
        mkdir((root + "/bin").c_str(), 0755);
        mkdir((root + "/share").c_str(), 0755);
        mkdir((root + "/share/doc").c_str(), 0755);
        mkdir((root + "/share/doc/orvanta").c_str(), 0755);
        mkdir((root + "/share/orvanta").c_str(), 0755);
    }
    ~Install() { std::system(("rm -rf '" + root + "'").c_str()); }
    std::string program() const { return root + "/bin/orvanta"; }
    void put(const std::string& relative, const std::string& text = "<html></html>") const {
        std::ofstream(root + "/" + relative) << text;
    }
};

bool noChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

TEST(PosixHelp, PageIsFoundBesideTheProgramThenInTheShareFolders) {
    Install in;
    const auto candidates = posix::helpPageCandidates(in.program());
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0], in.root + "/bin/orvanta.html");
    EXPECT_EQ(candidates[1], in.root + "/bin/../share/doc/orvanta/orvanta.html");
    EXPECT_EQ(candidates[2], in.root + "/bin/../share/orvanta/orvanta.html");
    EXPECT_EQ(posix::helpPageCandidates("orvanta")[0], "./orvanta.html");

    EXPECT_EQ(posix::findHelpPage(in.program()), "");
    in.put("share/orvanta/orvanta.html");
    EXPECT_EQ(posix::findHelpPage(in.program()), candidates[2]);
    in.put("share/doc/orvanta/orvanta.html");
    EXPECT_EQ(posix::findHelpPage(in.program()), candidates[1]);
    in.put("bin/orvanta.html");
    EXPECT_EQ(posix::findHelpPage(in.program()), candidates[0]);
    mkdir((in.root + "/bin/sub").c_str(), 0755);  // a folder of that name is no page
    mkdir((in.root + "/bin/sub/orvanta.html").c_str(), 0755);
    EXPECT_EQ(posix::findHelpPage(in.root + "/bin/sub/orvanta"), "");
}

TEST(PosixHelp, OpenerGetsThePageWithoutWaitingAndLeavesNoZombie) {
    Install in;
    in.put("bin/orvanta.html");
    // A stand-in opener that records its argument after a pause.
    const std::string record = in.root + "/opened.txt";
    in.put("opener.sh", "#!/bin/sh\nsleep 1\necho \"$1\" > '" + record + "'\n");
    chmod((in.root + "/opener.sh").c_str(), 0755);

    std::string shown;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(posix::openHelpPage(in.program(), shown, in.root + "/opener.sh"), posix::HelpOpenResult::Opened);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));  // did not wait for it
    EXPECT_EQ(shown, in.root + "/bin/orvanta.html");
    EXPECT_TRUE(noChildLeft());
    std::string opened;
    for (int i = 0; i < 50 && opened.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream(record) >> opened;
    }
    EXPECT_EQ(opened, in.root + "/bin/orvanta.html");
}

TEST(PosixHelp, MissingPageOrOpenerIsReportedAndStartsNothing) {
    Install in;
    std::string shown;
    EXPECT_EQ(posix::openHelpPage(in.program(), shown, in.root + "/never-run"), posix::HelpOpenResult::PageMissing);
    EXPECT_EQ(shown, in.root + "/bin/orvanta.html");

    in.put("bin/orvanta.html");
    EXPECT_EQ(posix::openHelpPage(in.program(), shown, in.root + "/no-such-opener"),
              posix::HelpOpenResult::OpenerMissing);
    EXPECT_EQ(shown, in.root + "/bin/orvanta.html");
    EXPECT_TRUE(noChildLeft());
    EXPECT_FALSE(posix::launchDetached({}));
    EXPECT_NE(posix::currentProgramPath(), "");
}

}  // namespace
}  // namespace orv::test
