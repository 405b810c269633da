// Where a USB radio receiver's sound comes in. Such a receiver is two
// functions of one USB device: a Video4Linux2 radio node that tunes, and a
// sound card whose capture PCM carries the programme. Both hang below that
// USB device in sysfs (/sys/class/video4linux/radio0 and
// /sys/class/sound/pcmC1D0c), which is how the one is found from the other.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orv::linuxcard {

struct RadioCapture {
    int card = -1;        // ALSA card number
    int device = -1;      // PCM device number on that card
    std::string cardId;   // the card's short name (sysfs "id"), e.g. "Radio"
    std::string product;  // the USB device's product string, e.g. "FM Radio"
    // The ALSA name of the capture PCM, e.g. "hw:CARD=Radio,DEV=0".
    std::string alsaName() const;
};

// The capture PCM that shares a USB device with the radio node radioDevice
// ("/dev/radio0", or a link to it), looked up in the sysfs tree at sysfsRoot;
// nothing where the receiver is no USB device or has no capture PCM.
std::optional<RadioCapture> findRadioCapture(const std::string& radioDevice, const std::string& sysfsRoot = "/sys");

// Which of the sound system's capture devices (their names, as the sound
// library lists them) is the receiver's: the first whose name holds the
// USB product string or the card's id, else -1.
int matchCaptureDevice(const RadioCapture& capture, const std::vector<std::string>& names);

}  // namespace orv::linuxcard
