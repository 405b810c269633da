// helpwriter: turns the manual's light markup into the WinHelp file, the
// web page and the manual pages.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "document.h"
#include "hlp_file.h"
#include "html_writer.h"
#include "man_writer.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: helpwriter MANUAL [--hlp FILE] [--html FILE] [--image NAME=PNG]...\n"
                 "                  [--man DIR --version V --date YYYY-MM-DD --datadir DIR]\n"
                 "  --hlp    write the WinHelp 3.1 file (contents topic first, one topic per section)\n"
                 "  --html   write one self-contained web page\n"
                 "  --image  the PNG file for a picture the manual names as NAME\n"
                 "  --man    write the Linux programs' manual pages (orvanta.1, ...) into DIR,\n"
                 "           for that version and date, naming the programs' data folder\n");
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(data.data(), std::streamsize(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    std::string manual, hlp, html, manDir, version, date, dataDir;
    std::map<std::string, std::string> imageFiles;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            manual = arg;
            continue;
        }
        if (i + 1 >= argc) return usage(), 2;
        const std::string value = argv[++i];
        if (arg == "--hlp") hlp = value;
        else if (arg == "--html") html = value;
        else if (arg == "--man") manDir = value;
        else if (arg == "--version") version = value;
        else if (arg == "--date") date = value;
        else if (arg == "--datadir") dataDir = value;
        else if (arg == "--image" && value.find('=') != std::string::npos)
            imageFiles[value.substr(0, value.find('='))] = value.substr(value.find('=') + 1);
        else return usage(), 2;
    }
    if (manual.empty() || (hlp.empty() && html.empty() && manDir.empty())) return usage(), 2;
    if (!manDir.empty() && (version.empty() || date.empty() || dataDir.empty())) return usage(), 2;
    try {
        const std::vector<uint8_t> source = readFile(manual);
        const helpwriter::Document doc = helpwriter::parseManual(std::string(source.begin(), source.end()));
        if (!hlp.empty()) {
            const std::vector<uint8_t> file = helpwriter::writeHlp(helpwriter::withContentsList(doc));
            helpwriter::HlpReader check(file);  // never ship a file our own reader refuses
            writeFile(hlp, std::string(file.begin(), file.end()));
        }
        if (!html.empty()) {
            std::map<std::string, std::vector<uint8_t>> images;
            for (const auto& [name, path] : imageFiles) images[name] = readFile(path);
            writeFile(html, helpwriter::writeHtml(doc, images));
        }
        if (!manDir.empty()) {
            const std::vector<helpwriter::ManPage> pages = helpwriter::linuxManPages(dataDir);
            for (const helpwriter::ManPage& page : pages)
                writeFile(manDir + "/" + page.name + ".1", helpwriter::writeMan(doc, page, pages, version, date));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "helpwriter: %s: %s\n", manual.c_str(), e.what());
        return 1;
    }
    return 0;
}
