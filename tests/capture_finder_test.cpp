// Finding a USB radio receiver's capture PCM in a fake sysfs tree laid out as
// the kernel lays it out: class folders of links into the device tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/capture_finder.h"

namespace orv::linuxcard {
namespace {

namespace fs = std::filesystem;

class FakeSysfs : public ::testing::Test {
protected:
    FakeSysfs()
        : root(fs::path(::testing::TempDir()) /
               (std::string("sysfs-") + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(root);
        fs::create_directories(root / "class" / "video4linux");
        fs::create_directories(root / "class" / "sound");
    }
    ~FakeSysfs() override { fs::remove_all(root); }

    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    // A USB device below the host controller, with its ids and product string.
    fs::path usbDevice(const std::string& port, const std::string& product) {
        const fs::path dir = root / "devices/pci0000:00/0000:00:14.0/usb1" / port;
        write(dir / "idVendor", "10c4");
        write(dir / "idProduct", "818a");
        write(dir / "product", product);
        return dir;
    }
    // The class link /class/<cls>/<name> to the node's folder in the device tree.
    void classLink(const std::string& cls, const std::string& name, const fs::path& node) {
        fs::create_directories(node);
        fs::create_symlink(fs::relative(node, root / "class" / cls), root / "class" / cls / name);
    }
    void radio(const fs::path& parent, const std::string& name) {
        classLink("video4linux", name, parent / "video4linux" / name);
    }
    // A sound card with capture and playback PCMs.
    void soundCard(const fs::path& parent, int card, const std::string& id, bool capture = true) {
        const fs::path cardDir = parent / "sound" / ("card" + std::to_string(card));
        write(cardDir / "id", id);
        classLink("sound", "card" + std::to_string(card), cardDir);
        const std::string c = std::to_string(card);
        if (capture) classLink("sound", "pcmC" + c + "D0c", cardDir / ("pcmC" + c + "D0c"));
        classLink("sound", "pcmC" + c + "D0p", cardDir / ("pcmC" + c + "D0p"));
    }

    fs::path root;
};

TEST_F(FakeSysfs, TheCapturePcmOnTheRadiosOwnUsbDeviceIsFound) {
    const fs::path receiver = usbDevice("1-2", "FM Radio");
    radio(receiver / "1-2:1.0", "radio0");
    soundCard(receiver / "1-2:1.1", 2, "Radio");
    // A headset on another USB port and the board's own sound come first.
    const fs::path headset = usbDevice("1-3", "USB Headset");
    soundCard(headset / "1-3:1.0", 1, "Headset");
    soundCard(root / "devices/pci0000:00/0000:00:1f.3", 0, "PCH");

    const auto found = findRadioCapture("/dev/radio0", root.string());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->card, 2);
    EXPECT_EQ(found->device, 0);
    EXPECT_EQ(found->cardId, "Radio");
    EXPECT_EQ(found->product, "FM Radio");
    EXPECT_EQ(found->alsaName(), "hw:CARD=Radio,DEV=0");

    const std::vector<std::string> names = {"Built-in Audio Analog Stereo", "USB Headset Mono",
                                            "FM Radio Analog Stereo"};
    EXPECT_EQ(matchCaptureDevice(*found, names), 2);
    EXPECT_EQ(matchCaptureDevice(*found, {"USB Audio [Radio], USB Audio"}), 0);  // ALSA's own names
    EXPECT_EQ(matchCaptureDevice(*found, {"Built-in Audio Analog Stereo"}), -1);
}

TEST_F(FakeSysfs, ReceiversWithoutAUsbCaptureHaveNone) {
    // A radio on a PCI card (its sound goes to a line out), a USB radio
    // whose sound card has no capture PCM, and a node that is not there.
    radio(root / "devices/pci0000:00/0000:00:1e.0/0000:05:00.0", "radio0");
    soundCard(root / "devices/pci0000:00/0000:00:1e.0/0000:05:00.0", 0, "Bt878");
    const fs::path usb = usbDevice("1-4", "Radio Without Capture");
    radio(usb / "1-4:1.0", "radio1");
    soundCard(usb / "1-4:1.1", 3, "Silent", false);

    EXPECT_FALSE(findRadioCapture("/dev/radio0", root.string()));
    EXPECT_FALSE(findRadioCapture("/dev/radio1", root.string()));
    EXPECT_FALSE(findRadioCapture("/dev/radio7", root.string()));
    EXPECT_FALSE(findRadioCapture("/dev/radio0", (root / "missing").string()));
}
}  // namespace
}  // namespace orv::linuxcard
