#include "platform/linux/capture_finder.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace orv::linuxcard {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute file, without its line end; "" when unreadable.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return "";
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// The USB device (not one of its interfaces) that path lies below: the
// nearest folder that has the device's vendor and product ids.
std::optional<fs::path> usbDeviceAbove(fs::path path, const fs::path& devicesRoot) {
    std::error_code ec;
    while (!path.empty() && path != path.root_path()) {
        if (fs::exists(path / "idVendor", ec) && fs::exists(path / "idProduct", ec)) return path;
        if (path == devicesRoot) break;
        path = path.parent_path();
    }
    return std::nullopt;
}

bool isBelow(const fs::path& path, const fs::path& folder) {
    const std::string p = path.string(), f = folder.string() + "/";
    return p.compare(0, f.size(), f) == 0;
}

// The node's own name: /dev/radio may link to /dev/radio0.
std::string nodeName(const std::string& radioDevice) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(radioDevice, ec);
    return (ec ? fs::path(radioDevice) : resolved).filename().string();
}

// "pcmC1D0c" -> card 1, device 0; false for playback PCMs and other names.
bool parseCapturePcm(const std::string& name, int& card, int& device) {
    char direction = 0;
    int consumed = 0;
    if (std::sscanf(name.c_str(), "pcmC%dD%d%c%n", &card, &device, &direction, &consumed) != 3) return false;
    return direction == 'c' && size_t(consumed) == name.size() && card >= 0 && device >= 0;
}

}  // namespace

std::string RadioCapture::alsaName() const {
    const std::string which = cardId.empty() ? std::to_string(card) : cardId;
    return "hw:CARD=" + which + ",DEV=" + std::to_string(device);
}

std::optional<RadioCapture> findRadioCapture(const std::string& radioDevice, const std::string& sysfsRoot) {
    std::error_code ec;
    const fs::path root = fs::canonical(sysfsRoot, ec);
    if (ec) return std::nullopt;
    const fs::path radio = fs::canonical(root / "class" / "video4linux" / nodeName(radioDevice), ec);
    if (ec) return std::nullopt;
    const std::optional<fs::path> usb = usbDeviceAbove(radio, root / "devices");
    if (!usb) return std::nullopt;

    std::optional<RadioCapture> best;
    for (fs::directory_iterator it(root / "class" / "sound", ec), end; !ec && it != end; it.increment(ec)) {
        RadioCapture found;
        if (!parseCapturePcm(it->path().filename().string(), found.card, found.device)) continue;
        std::error_code resolveError;
        const fs::path pcm = fs::canonical(it->path(), resolveError);
        if (resolveError || !isBelow(pcm, *usb)) continue;
        if (best && (best->card < found.card || (best->card == found.card && best->device < found.device))) continue;
        best = found;
    }
    if (!best) return std::nullopt;
    best->cardId = attribute(root / "class" / "sound" / ("card" + std::to_string(best->card)) / "id");
    best->product = attribute(*usb / "product");
    return best;
}

int matchCaptureDevice(const RadioCapture& capture, const std::vector<std::string>& names) {
    for (const std::string* key : {&capture.product, &capture.cardId}) {
        if (key->empty()) continue;
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i].find(*key) != std::string::npos) return int(i);
    }
    return -1;
}

}  // namespace orv::linuxcard
