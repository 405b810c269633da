// Which topics of the manual each page of the native Linux programs carries,
// and what such a page says beyond the manual: how the command is called,
// the variables it reads and the files it uses.
#include "man_writer.h"

namespace helpwriter {

std::vector<ManPage> linuxManPages(const std::string& dataDir) {
    ManPage panel;
    panel.name = "orvanta";
    panel.summary = "front panel of an FM radio card";
    panel.synopsis = {{"orvanta"}};
    panel.description = "contents";
    panel.topics = {"panel", "buttons", "presets", "tuning",   "sound", "clock", "styles",
                    "keyboard", "quitting", "settings", "card", "player_controls", "help", "troubleshooting"};
    panel.environment = {
        {"DISPLAY", "The X display to show the panel on."},
        {"WAYLAND_DISPLAY", "The Wayland display to show the panel on."},
        {"XDG_CONFIG_HOME", "The folder that holds the settings folder orvanta; ~/.config when unset."},
        {"XDG_RUNTIME_DIR", "The folder of the remote-control socket; /tmp/orvanta-UID when unset."},
        {"DBUS_SESSION_BUS_ADDRESS", "The session bus the desktop player controls are offered on."},
    };
    panel.files = {
        {"$XDG_CONFIG_HOME/orvanta/orvanta.ini", "The settings file (see SETTINGS FILE)."},
        {dataDir + "/text.dat", "The skin: the panel's whole face. A text.dat beside the program is taken first."},
        {dataDir + "/orvanta.html", "This manual as a web page, opened by the help key."},
        {"$XDG_RUNTIME_DIR/orvanta.sock", "The socket orvanta-remote talks to."},
    };
    panel.seeAlso = {"orvanta-remote(1)", "playerctl(1)", "xdg-open(1)"};

    ManPage remote;
    remote.name = "orvanta-remote";
    remote.summary = "send a command to the running Orvanta panel, or ask what it does";
    remote.synopsis = {{"orvanta-remote", "station", "<N>"},
                       {"orvanta-remote", "volume", "up|down"},
                       {"orvanta-remote", "mute", "on|off"},
                       {"orvanta-remote", "tune", "<MHZ>"},
                       {"orvanta-remote", "seek", "up|down"},
                       {"orvanta-remote", "preset", "next|prev"},
                       {"orvanta-remote", "status", "[--json]"},
                       {"orvanta-remote", "show"},
                       {"orvanta-remote", "quit"}};
    remote.description = "remote";
    remote.exitStatus = {
        {"0", "The command was sent."},
        {"1", "No panel is running: \"Orvanta is not running\"."},
        {"2", "The command was not understood (the usage is shown), or tune named a frequency outside the band."},
    };
    remote.environment = {
        {"XDG_RUNTIME_DIR", "The folder of the panel's socket; /tmp/orvanta-UID when unset."},
    };
    remote.files = {
        {"$XDG_RUNTIME_DIR/orvanta.sock", "The running panel's socket: one command a line."},
    };
    remote.seeAlso = {"orvanta(1)"};
    return {panel, remote};
}

}  // namespace helpwriter
