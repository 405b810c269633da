#include "platform/sdl2/mpris.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/sdl2/mpris_state.h"

namespace orv::sdl2 {

namespace {

constexpr const char* busName = "org.mpris.MediaPlayer2.orvanta";
constexpr const char* instanceNamePrefix = "org.mpris.MediaPlayer2.orvanta.instance";
constexpr const char* objectPath = "/org/mpris/MediaPlayer2";
constexpr const char* rootInterface = "org.mpris.MediaPlayer2";
constexpr const char* playerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* identity = "Orvanta";
constexpr const char* desktopEntry = "org.orvanta.Orvanta";
constexpr const char* busyError = "org.freedesktop.DBus.Error.LimitsExceeded";
constexpr const char* notSupportedError = "org.freedesktop.DBus.Error.NotSupported";
constexpr const char* cannotQuit = "Orvanta cannot play on without its panel here: closing the panel ends it";
constexpr double normalRate = 1.0;
constexpr int64_t position = 0;  // a station has no place in time
// After a command to the panel (ours or the remote's) the bus answers nothing
// more until the panel did it, so that a question that follows sees its
// effect, or until this long passed.
constexpr int commandWaitMs = 1000;
constexpr int commandWaitSliceMs = 50;  // how often that wait looks whether the program ends
// The bus daemon's answers to RequestName.
constexpr uint32_t primaryOwner = 1, nameExists = 3, alreadyOwner = 4;

// The desktop's requests that are the panel's own commands.
struct CommandMethod {
    const char* member;
    remote::Kind kind;
    uint32_t value;
};
constexpr CommandMethod commandMethods[] = {
    {"Play", remote::Kind::SetMute, 0},
    {"Pause", remote::Kind::SetMute, 1},
    {"Stop", remote::Kind::SetMute, 1},
    {"PlayPause", remote::Kind::ToggleMute, 0},
    {"Next", remote::Kind::PresetStep, 0},
    {"Previous", remote::Kind::PresetStep, 1},
    {"Raise", remote::Kind::Show, 0},
    {"Quit", remote::Kind::Quit, 0},
};

const CommandMethod* commandMethod(const char* member) {
    for (const CommandMethod& c : commandMethods)
        if (member && std::strcmp(member, c.member) == 0) return &c;
    return nullptr;
}

// Why no session bus could be had, for the user.
std::string noBusReason(int error) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!address && !runtime) return "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
    const std::string where = address ? address : std::string("unix:path=") + runtime + "/bus";
    return "no session bus at " + where + ": " + std::strerror(error);
}

// Milliseconds until the bus's absolute monotonic deadline; -1 for none.
int pollTimeoutMs(sd_bus* bus) {
    uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX) return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t nowUs = uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
    if (until <= nowUs) return 0;
    const uint64_t ms = (until - nowUs + 999) / 1000;
    return ms > uint64_t(INT32_MAX) ? INT32_MAX : int(ms);
}

// The properties that never change, and the requests a radio has nothing to do for.

// Seek, SetPosition, OpenUri: a radio station has no place in time and plays no files.
int onIgnored(sd_bus_message* call, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(call, "");
}

// Rate and Fullscreen stay as they are.
int setIgnored(sd_bus*, const char*, const char*, const char*, sd_bus_message*, void*, sd_bus_error*) {
    return 0;
}

int getTrue(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "b", 1);
}

int getFalse(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "b", 0);
}

int getRate(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "d", normalRate);
}

int getPosition(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "x", position);
}

int getIdentity(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", identity);
}

int getDesktopEntry(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", desktopEntry);
}

int getNoStrings(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "as", 0);
}

}  // namespace

// The bus side, on the bus thread alone: the connection, the two interfaces
// and the state last told to the desktop.
class BusPlayer {
public:
    explicit BusPlayer(PlayerControls& controls) : controls_(controls) {}
    ~BusPlayer();
    BusPlayer(const BusPlayer&) = delete;
    BusPlayer& operator=(const BusPlayer&) = delete;

    // Connects, puts the objects on the bus and asks for the name; false with why not.
    bool start(std::string& why);
    // Answers the bus until the program ends (true) or the bus is lost (false, with why).
    bool serve(std::string& why);

private:
    void requestName(const std::string& name);
    void refresh();
    void settle();
    int send(const remote::Command& command, sd_bus_error* error);
    const mpris::PlayerState& state() const { return state_; }

    static int onNameReply(sd_bus_message* reply, void* self, sd_bus_error* error);
    static int onCommand(sd_bus_message* call, void* self, sd_bus_error* error);
    static int setVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void* self,
                         sd_bus_error* error);
    static int getPlaybackStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                                 sd_bus_error*);
    static int getMetadata(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                           sd_bus_error*);
    static int getVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                         sd_bus_error*);
    static int getCanQuit(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                          sd_bus_error*);

    static const sd_bus_vtable rootTable[];
    static const sd_bus_vtable playerTable[];

    PlayerControls& controls_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* rootSlot_ = nullptr;
    sd_bus_slot* playerSlot_ = nullptr;
    std::string name_;           // the name asked for last
    std::string nameFailure_;    // why no name could be had; "" while none failed
    mpris::PlayerState state_;
    bool levelKnown_ = false;    // whether Volume can be set
    uint64_t seenGeneration_ = 0;
    bool told_ = false;          // state_ holds what the desktop was told
    uint64_t settled_ = 0;       // the last command to the panel that was waited for
};

constexpr auto emitsChange = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;
constexpr auto constant = SD_BUS_VTABLE_PROPERTY_CONST;

const sd_bus_vtable BusPlayer::rootTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Raise", "", "", onCommand, 0),
    SD_BUS_METHOD("Quit", "", "", onCommand, 0),
    SD_BUS_PROPERTY("CanQuit", "b", getCanQuit, 0, emitsChange),
    SD_BUS_WRITABLE_PROPERTY("Fullscreen", "b", getFalse, setIgnored, 0, emitsChange),
    SD_BUS_PROPERTY("CanSetFullscreen", "b", getFalse, 0, constant),
    SD_BUS_PROPERTY("CanRaise", "b", getTrue, 0, constant),
    SD_BUS_PROPERTY("HasTrackList", "b", getFalse, 0, constant),
    SD_BUS_PROPERTY("Identity", "s", getIdentity, 0, constant),
    SD_BUS_PROPERTY("DesktopEntry", "s", getDesktopEntry, 0, constant),
    SD_BUS_PROPERTY("SupportedUriSchemes", "as", getNoStrings, 0, constant),
    SD_BUS_PROPERTY("SupportedMimeTypes", "as", getNoStrings, 0, constant),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable BusPlayer::playerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Next", "", "", onCommand, 0),
    SD_BUS_METHOD("Previous", "", "", onCommand, 0),
    SD_BUS_METHOD("Pause", "", "", onCommand, 0),
    SD_BUS_METHOD("PlayPause", "", "", onCommand, 0),
    SD_BUS_METHOD("Stop", "", "", onCommand, 0),
    SD_BUS_METHOD("Play", "", "", onCommand, 0),
    SD_BUS_METHOD("Seek", "x", "", onIgnored, 0),
    SD_BUS_METHOD("SetPosition", "ox", "", onIgnored, 0),
    SD_BUS_METHOD("OpenUri", "s", "", onIgnored, 0),
    SD_BUS_SIGNAL("Seeked", "x", 0),
    SD_BUS_PROPERTY("PlaybackStatus", "s", getPlaybackStatus, 0, emitsChange),
    SD_BUS_WRITABLE_PROPERTY("Rate", "d", getRate, setIgnored, 0, emitsChange),
    SD_BUS_PROPERTY("Metadata", "a{sv}", getMetadata, 0, emitsChange),
    SD_BUS_WRITABLE_PROPERTY("Volume", "d", getVolume, setVolume, 0, emitsChange),
    SD_BUS_PROPERTY("Position", "x", getPosition, 0, 0),
    SD_BUS_PROPERTY("MinimumRate", "d", getRate, 0, constant),
    SD_BUS_PROPERTY("MaximumRate", "d", getRate, 0, constant),
    SD_BUS_PROPERTY("CanGoNext", "b", getTrue, 0, constant),
    SD_BUS_PROPERTY("CanGoPrevious", "b", getTrue, 0, constant),
    SD_BUS_PROPERTY("CanPlay", "b", getTrue, 0, constant),
    SD_BUS_PROPERTY("CanPause", "b", getTrue, 0, constant),
    SD_BUS_PROPERTY("CanSeek", "b", getFalse, 0, constant),
    SD_BUS_PROPERTY("CanControl", "b", getTrue, 0, constant),
    SD_BUS_VTABLE_END,
};

BusPlayer::~BusPlayer() {
    sd_bus_slot_unref(playerSlot_);
    sd_bus_slot_unref(rootSlot_);
    sd_bus_flush_close_unref(bus_);
}

bool BusPlayer::start(std::string& why) {
    int r = sd_bus_open_user(&bus_);
    if (r < 0) {
        why = noBusReason(-r);
        return false;
    }
    refresh();
    r = sd_bus_add_object_vtable(bus_, &rootSlot_, objectPath, rootInterface, rootTable, this);
    if (r >= 0) r = sd_bus_add_object_vtable(bus_, &playerSlot_, objectPath, playerInterface, playerTable, this);
    if (r < 0) {
        why = std::string("the player's objects were refused: ") + std::strerror(-r);
        return false;
    }
    requestName(busName);
    return true;
}

// Asked without waiting: the answer comes to onNameReply while the bus is served.
void BusPlayer::requestName(const std::string& name) {
    name_ = name;
    const int r = sd_bus_request_name_async(bus_, nullptr, name.c_str(), 0, onNameReply, this);
    if (r < 0) nameFailure_ = "the name " + name + " could not be asked for: " + std::strerror(-r);
}

// A second panel takes a name of its own.
int BusPlayer::onNameReply(sd_bus_message* reply, void* self, sd_bus_error*) {
    BusPlayer& p = *static_cast<BusPlayer*>(self);
    if (const sd_bus_error* e = sd_bus_message_get_error(reply)) {
        p.nameFailure_ = "the bus refused the name " + p.name_ + ": " + (e->message ? e->message : e->name);
        return 0;
    }
    uint32_t answer = 0;
    if (sd_bus_message_read(reply, "u", &answer) < 0) answer = 0;
    if (answer == primaryOwner || answer == alreadyOwner) return 0;
    if (answer == nameExists && p.name_ == busName) {
        p.requestName(instanceNamePrefix + std::to_string(getpid()));
        return 0;
    }
    p.nameFailure_ = "the name " + p.name_ + " is taken";
    return 0;
}

bool BusPlayer::serve(std::string& why) {
    const int wakeFd = controls_.wakeFd_;
    while (!controls_.stopping_) {
        settle();
        refresh();
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0) {
            why = std::string("the session bus was lost: ") + std::strerror(-r);
            return false;
        }
        if (!nameFailure_.empty()) {
            why = nameFailure_;
            return false;
        }
        if (r > 0) continue;  // there may be more to do at once
        pollfd fds[] = {{sd_bus_get_fd(bus_), short(sd_bus_get_events(bus_)), 0}, {wakeFd, POLLIN, 0}};
        if (poll(fds, 2, pollTimeoutMs(bus_)) < 0 && errno != EINTR) {
            why = std::string("poll: ") + std::strerror(errno);
            return false;
        }
        uint64_t count;
        if (fds[1].revents & POLLIN) (void)!read(wakeFd, &count, sizeof count);
    }
    return true;
}

// Reads the panel's status; when what the desktop sees differs, says so on the bus.
void BusPlayer::refresh() {
    const bool canQuit = controls_.canQuit_;
    const uint64_t generation = controls_.board_.generation();
    if (told_ && generation == seenGeneration_ && canQuit == state_.canQuit) return;
    const PanelStatus status = controls_.board_.read();
    const mpris::PlayerState next = mpris::playerState(status, canQuit, controls_.artUrl_);
    const mpris::Changes changed = told_ ? mpris::changes(state_, next) : mpris::Changes{};
    state_ = next;
    levelKnown_ = status.levelKnown;
    seenGeneration_ = generation;
    told_ = true;
    const auto emit = [this](const char* interface, const std::vector<std::string>& names) {
        if (names.empty()) return;
        std::vector<char*> list;
        for (const std::string& n : names) list.push_back(const_cast<char*>(n.c_str()));
        list.push_back(nullptr);
        sd_bus_emit_properties_changed_strv(bus_, objectPath, interface, list.data());
    };
    emit(rootInterface, changed.root);
    emit(playerInterface, changed.player);
}

// Waits until the panel did the commands sent so far, so that what is answered next shows their effect.
void BusPlayer::settle() {
    const uint64_t sent = controls_.board_.lastSent();
    if (sent <= settled_) return;
    for (int waited = 0; waited < commandWaitMs && !controls_.stopping_; waited += commandWaitSliceMs)
        if (controls_.board_.waitHandled(sent, commandWaitSliceMs)) break;
    settled_ = sent;
}

int BusPlayer::send(const remote::Command& command, sd_bus_error* error) {
    if (!controls_.deliver_(command)) return sd_bus_error_set(error, busyError, "the panel is busy");
    return 0;
}

int BusPlayer::onCommand(sd_bus_message* call, void* self, sd_bus_error* error) {
    BusPlayer& p = *static_cast<BusPlayer*>(self);
    const CommandMethod* method = commandMethod(sd_bus_message_get_member(call));
    if (!method) return sd_bus_reply_method_return(call, "");
    if (method->kind == remote::Kind::Quit && !p.state().canQuit)
        return sd_bus_error_set(error, notSupportedError, cannotQuit);
    const int r = p.send(remote::Command{method->kind, method->value}, error);
    return r < 0 ? r : sd_bus_reply_method_return(call, "");
}

// The nearest level step; nothing where the sound path has no level of ours.
int BusPlayer::setVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void* self,
                         sd_bus_error* error) {
    BusPlayer& p = *static_cast<BusPlayer*>(self);
    double volume = 0;
    int r = sd_bus_message_read(value, "d", &volume);
    if (r < 0) return r;
    int levelDb = 0;
    if (!p.levelKnown_ || !mpris::levelForVolume(volume, levelDb)) return 0;
    return p.send(remote::Command{remote::Kind::SetLevel, uint32_t(levelDb + remote::levelOffset)}, error);
}

int BusPlayer::getPlaybackStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                                 sd_bus_error*) {
    return sd_bus_message_append(reply, "s", static_cast<BusPlayer*>(self)->state().playbackStatus.c_str());
}

int BusPlayer::getMetadata(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                           sd_bus_error*) {
    const mpris::Metadata& m = static_cast<BusPlayer*>(self)->state().metadata;
    int r = sd_bus_message_open_container(reply, 'a', "{sv}");
    if (r >= 0) r = sd_bus_message_append(reply, "{sv}", "mpris:trackid", "o", m.trackId.c_str());
    if (r >= 0) r = sd_bus_message_append(reply, "{sv}", "xesam:title", "s", m.title.c_str());
    if (r >= 0 && !m.artists.empty()) {
        r = sd_bus_message_open_container(reply, 'e', "sv");
        if (r >= 0) r = sd_bus_message_append(reply, "s", "xesam:artist");
        if (r >= 0) r = sd_bus_message_open_container(reply, 'v', "as");
        if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "s");
        for (const std::string& artist : m.artists)
            if (r >= 0) r = sd_bus_message_append(reply, "s", artist.c_str());
        for (int level = 0; level < 3 && r >= 0; ++level) r = sd_bus_message_close_container(reply);
    }
    if (r >= 0 && !m.album.empty()) r = sd_bus_message_append(reply, "{sv}", "xesam:album", "s", m.album.c_str());
    if (r >= 0 && !m.artUrl.empty()) r = sd_bus_message_append(reply, "{sv}", "mpris:artUrl", "s", m.artUrl.c_str());
    if (r >= 0) r = sd_bus_message_close_container(reply);
    return r;
}

int BusPlayer::getVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                         sd_bus_error*) {
    return sd_bus_message_append(reply, "d", static_cast<BusPlayer*>(self)->state().volume);
}

int BusPlayer::getCanQuit(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                          sd_bus_error*) {
    return sd_bus_message_append(reply, "b", int(static_cast<BusPlayer*>(self)->state().canQuit));
}

PlayerControls::PlayerControls(StatusBoard& board, Deliver deliver, std::function<bool()> canQuit, std::string artUrl)
    : board_(board), deliver_(std::move(deliver)), canQuitAsked_(std::move(canQuit)), artUrl_(std::move(artUrl)) {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) wakeError_ = errno;
}

PlayerControls::~PlayerControls() {
    stop();
    if (wakeFd_ >= 0) close(wakeFd_);
}

void PlayerControls::panelChanged() {
    if (canQuitAsked_) canQuit_ = canQuitAsked_();
    if (thread_.joinable() || stopping_) return wake();
    thread_ = std::thread([this] { run(); });
}

void PlayerControls::stop() {
    stopping_ = true;
    wake();
    if (thread_.joinable()) thread_.join();
}

void PlayerControls::wake() {
    const uint64_t one = 1;
    if (wakeFd_ >= 0) (void)!write(wakeFd_, &one, sizeof one);
}

void PlayerControls::run() {
    std::string why;
    if (wakeFd_ < 0) {
        why = std::string("eventfd: ") + std::strerror(wakeError_);
    } else {
        BusPlayer player(*this);
        if (player.start(why) && player.serve(why)) return;
    }
    std::fprintf(stderr, "orvanta: no desktop player controls: %s\n", why.c_str());
}

}  // namespace orv::sdl2
