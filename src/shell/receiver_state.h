// The one record of the running panel, and its mode bits.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace orv {

// modeFlags bits. No other bit is ever set.
constexpr uint32_t MF_SIGNAL = 0x0001;       // the card reported a signal after the last tuning
constexpr uint32_t MF_MUTED = 0x0002;        // audio muted
constexpr uint32_t MF_SEEK_UP = 0x0100;      // upward seek runs on the clock tick
constexpr uint32_t MF_SEEK_DOWN = 0x0200;    // downward seek runs
constexpr uint32_t MF_ALARM_ON = 0x0400;     // alarm armed
constexpr uint32_t MF_SLUMBER_ON = 0x0800;   // slumber countdown runs
constexpr uint32_t MF_SLUMBER_SET = 0x1000;  // slumber-setting window open
constexpr uint32_t MF_ALARM_SET = 0x2000;    // alarm-setting window open
constexpr uint32_t MF_STORE = 0x4000;        // preset store armed

// Window timers.
constexpr unsigned clockTimer = 1;
constexpr unsigned repeatTimer = 2;
constexpr unsigned decadeTimer = 3;
constexpr unsigned clockPeriodMs = 3000;
constexpr unsigned seekPeriodMs = 180;
constexpr unsigned morphPeriodMs = 2;
constexpr unsigned repeatPeriodMs = 200;
constexpr unsigned decadePeriodMs = 3000;

// The panel face: the top-left of the skin, and the window sizes of the styles.
constexpr int faceWidth = 367;
constexpr int faceHeight = 132;
constexpr int compactHeight = 82;
constexpr int miniWidth = 217;

// Panel styles.
constexpr int styleFull = 0;     // 367 x 132
constexpr int styleCompact = 1;  // 367 x 82
constexpr int styleMini = 2;     // 217 x 82 (216 x 82 after a morph)

constexpr int presetCount = 99;
constexpr int presetSlots = 100;
constexpr float upperBandEdge = 108.0f;

// Path buffers hold at most pathBufferSize - 1 characters.
constexpr int pathBufferSize = 128;

// A pending copy from panelDC to the window that puts a released face back.
struct FaceRestore {
    bool armed = false;
    int x = 0, y = 0, width = 0, height = 0;  // destination in the window
    int sourceX = 0, sourceY = 0;              // in panelDC (always a plain copy)
    int left = 0, top = 0, right = 0, bottom = 0;  // hot rectangle, inclusive
};

struct RepeatRange {
    int left, right;
};

struct ReceiverState {
    // Receiver and presets.
    uint32_t portAddress = 0;
    float minFrequency = 0.0f;
    float frequency = 0.0f;
    float presetTable[presetSlots] = {};
    int32_t presetIndex = 1;
    uint8_t controlSoundOn = 0;
    uint8_t controlMuted = 0;
    uint32_t modeFlags = 0;

    // Panel style and animation.
    int32_t panelStyle = styleFull;
    int32_t morphState = 0;
    int32_t morphCounter = 0;
    bool firstPaint = true;

    // Alarm, slumber and preset decade.
    int32_t alarmHour = 0;
    int32_t alarmMinute = 0;
    int32_t alarmPreset = 1;
    int32_t slumberMinutes = 5;
    int32_t slumberRemaining = 0;
    int64_t slumberEnd = 0;  // seconds since the epoch; 64-bit so it outlives 2038
    bool decadeEntryActive = false;
    int32_t presetDecade = 0;

    // Window and pointer handling.
    int32_t windowX = 150;
    int32_t windowY = 100;
    bool stayOnTop = false;
    bool dragging = false;
    bool dragScreenOpen = false;  // dragDC
    Point dragStartPoint;
    Rect dragStartRect;
    Rect dragFrame;
    int32_t lastX = 0;
    int32_t lastY = 0;
    bool clickHandled = false;
    FaceRestore faceRestore;
    FaceRestore secondFaceRestore;
    bool repeatActive = false;
    int32_t repeatButton = 0;
    static constexpr RepeatRange repeatRanges[4] = {{285, 300}, {260, 275}, {236, 249}, {211, 226}};

    // Skin and platform resources.
    bool skinLoaded = false;
    bool skinReleased = false;  // closePanel released the skin and destroyed the window
    bool closing = false;       // the quit question is open
    std::vector<uint8_t> skinBlock;          // info header, colour table, pixel bits
    uint16_t pixelOffset = 0;                // of the pixel bits inside skinBlock
    bool skinPalette = false;                // the logical palette was created
    std::vector<uint8_t> paletteIndexTable;  // header copy + identity 16-bit indices
    bool panelSurface = false;               // panelDC exists
    char skinFilePath[pathBufferSize] = {};
    char moduleDirectory[pathBufferSize] = {};
    char helpFilePath[pathBufferSize] = {};
    bool helpOpened = false;  // the help viewer was opened; closing the panel closes it
    uint32_t msgSetStation = 0;
    uint32_t msgSetVolume = 0;
    uint32_t msgMute = 0;
};

// The core's view of the running program: the one state record and the platform.
struct App {
    ReceiverState state;
    Platform& platform;
    explicit App(Platform& p) : platform(p) {}
};

}  // namespace orv
