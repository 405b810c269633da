#include "receiver/rds_groups.h"

#include "receiver/rds_charset.h"

namespace orv::receiver {

namespace {

constexpr int ptyCodes = 32;

const char* const europeanPty[ptyCodes] = {
    "None", "News", "Current Affairs", "Information", "Sport", "Education", "Drama", "Culture",
    "Science", "Varied", "Pop Music", "Rock Music", "Easy Listening", "Light Classical", "Serious Classical",
    "Other Music", "Weather", "Finance", "Children's Programmes", "Social Affairs", "Religion", "Phone-In",
    "Travel", "Leisure", "Jazz Music", "Country Music", "National Music", "Oldies Music", "Folk Music",
    "Documentary", "Alarm Test", "Alarm",
};

const char* const northAmericanPty[ptyCodes] = {
    "None", "News", "Information", "Sports", "Talk", "Rock", "Classic Rock", "Adult Hits",
    "Soft Rock", "Top 40", "Country", "Oldies", "Soft", "Nostalgia", "Jazz", "Classical",
    "Rhythm and Blues", "Soft Rhythm and Blues", "Language", "Religious Music", "Religious Talk",
    "Personality", "Public", "College", "Spanish Talk", "Spanish Music", "Hip Hop", "", "",
    "Weather", "Emergency Test", "Emergency",
};

// Group types this decoder reads.
constexpr int basicTuningGroup = 0;
constexpr int radioTextGroup = 2;
constexpr int clockTimeGroup = 4;

constexpr uint8_t textEnd = 0x0D;
constexpr int confirmations = 2;  // PS segments: the same this many times

// Clock time.
constexpr uint32_t mjdOf1970 = 40587;
constexpr int minutesPerDay = 1440;
constexpr int maxOffsetHalfHours = 28;  // +-14 h, the widest zones in use

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 (not negative) as a date.
void dateFromDays(long days, int& year, int& month, int& day) {
    year = 1970;
    while (days >= (leapYear(year) ? 366 : 365)) days -= leapYear(year++) ? 366 : 365;
    month = 1;
    while (days >= daysInMonth(year, month)) days -= daysInMonth(year, month++);
    day = int(days) + 1;
}

}  // namespace

const char* ptyName(int code, PtyTable table) {
    if (code < 0 || code >= ptyCodes) return "";
    return table == PtyTable::NorthAmerica ? northAmericanPty[code] : europeanPty[code];
}

RdsClock localClock(uint32_t mjd, int utcHour, int utcMinute, int offsetHalfHours) {
    RdsClock c;
    if (mjd < mjdOf1970 || utcHour < 0 || utcHour > 23 || utcMinute < 0 || utcMinute > 59 ||
        offsetHalfHours < -maxOffsetHalfHours || offsetHalfHours > maxOffsetHalfHours)
        return c;
    c.offsetMinutes = offsetHalfHours * 30;
    const long minutes = long(mjd - mjdOf1970) * minutesPerDay + utcHour * 60 + utcMinute + c.offsetMinutes;
    if (minutes < 0) return c;
    dateFromDays(minutes / minutesPerDay, c.year, c.month, c.day);
    c.hour = int(minutes % minutesPerDay) / 60;
    c.minute = int(minutes % 60);
    c.valid = true;
    return c;
}

RdsGroupDecoder::RdsGroupDecoder(PtyTable table) : table_(table) { reset(); }

void RdsGroupDecoder::setPtyTable(PtyTable table) {
    table_ = table;
    if (state_.ptyValid) state_.ptyName = ptyName(state_.pty, table_);
}

void RdsGroupDecoder::reset() {
    state_ = RdsState{};
    have_.fill(false);
    lastPosition_ = -1;
    piCandidate_ = -1;
    typeCandidate_ = -1;
    psCandidate_.fill(' ');
    psCount_.fill(0);
    psSeen_ = 0;
    text_.fill(' ');
    textReceived_ = 0;
    textFlag_ = -1;
    textVersion_ = -1;
}

void RdsGroupDecoder::feed(uint16_t info, BlockOffset offset, BlockError error) {
    switch (error) {
        case BlockError::None: ++state_.blocksGood; break;
        case BlockError::Corrected: ++state_.blocksCorrected; break;
        case BlockError::Uncorrectable: ++state_.blocksBad; break;
    }
    const int position = blockPosition(offset);
    // A block at or before the last one's place starts a new group.
    if (position <= lastPosition_) {
        decodeGroup();
        have_.fill(false);
    }
    lastPosition_ = position;
    blocks_[size_t(position)] = info;
    have_[size_t(position)] = error != BlockError::Uncorrectable;
    if (position == 2) thirdOffset_ = offset;
    if (position == 3) {
        decodeGroup();
        have_.fill(false);
        lastPosition_ = -1;
    }
}

void RdsGroupDecoder::decodeGroup() {
    if (have_[0]) takePi(blocks_[0]);
    if (have_[2] && thirdOffset_ == BlockOffset::CPrime) takePi(blocks_[2]);
    if (!have_[1]) return;
    const uint16_t b = blocks_[1];
    const int type = b >> 12;
    const bool versionB = (b >> 11) & 1;
    takeTypeAndFlags(b);
    switch (type) {
        case basicTuningGroup:
            state_.ta = (b >> 4) & 1;
            if (have_[3]) takePsSegment(b & 3, blocks_[3]);
            break;
        case radioTextGroup: {
            const int address = b & 15;
            const int flag = (b >> 4) & 1;
            if (versionB) {
                if (have_[3]) takeTextPair(address, blocks_[3], true, flag);
            } else {
                if (have_[2] && thirdOffset_ == BlockOffset::C) takeTextPair(2 * address, blocks_[2], false, flag);
                if (have_[3]) takeTextPair(2 * address + 1, blocks_[3], false, flag);
            }
            break;
        }
        case clockTimeGroup:
            if (!versionB && have_[2] && have_[3] && thirdOffset_ == BlockOffset::C)
                takeClock(b, blocks_[2], blocks_[3]);
            break;
        default:
            break;
    }
}

void RdsGroupDecoder::takePi(uint16_t pi) {
    if (piCandidate_ == int(pi)) {
        state_.pi = pi;
        state_.piValid = true;
    }
    piCandidate_ = pi;
}

void RdsGroupDecoder::takeTypeAndFlags(uint16_t b) {
    const int flags = (b >> 5) & 0x3F;  // TP and PTY
    if (flags == typeCandidate_) {
        state_.tp = (b >> 10) & 1;
        state_.pty = uint8_t(flags & 31);
        state_.ptyValid = true;
        state_.ptyName = ptyName(state_.pty, table_);
    }
    typeCandidate_ = flags;
}

void RdsGroupDecoder::takePsSegment(int segment, uint16_t characters) {
    const uint8_t first = uint8_t(characters >> 8), second = uint8_t(characters & 0xFF);
    uint8_t* slot = &psCandidate_[size_t(2 * segment)];
    const bool seen = (psSeen_ >> segment) & 1;
    if (!seen || slot[0] != first || slot[1] != second) {
        // A change of something seen before: every segment must be seen again.
        if (seen) psCount_.fill(0);
        slot[0] = first;
        slot[1] = second;
        psSeen_ |= 1u << segment;
    }
    if (psCount_[size_t(segment)] < confirmations) ++psCount_[size_t(segment)];
    for (int count : psCount_)
        if (count < confirmations) return;
    state_.ps = rdsTextToUtf8(psCandidate_.data(), psCandidate_.size());
}

void RdsGroupDecoder::takeTextPair(int pair, uint16_t characters, bool versionB, int flag) {
    const int version = versionB ? 1 : 0;
    if (flag != textFlag_ || version != textVersion_) {
        // A new message: the old one goes at once.
        if (textFlag_ >= 0) state_.text.clear();
        text_.fill(' ');
        textReceived_ = 0;
        textFlag_ = flag;
        textVersion_ = version;
    }
    text_[size_t(2 * pair)] = uint8_t(characters >> 8);
    text_[size_t(2 * pair + 1)] = uint8_t(characters & 0xFF);
    textReceived_ |= 1u << pair;
    publishTextIfComplete();
}

void RdsGroupDecoder::publishTextIfComplete() {
    int length = textVersion_ == 1 ? textLength / 2 : textLength;
    for (int i = 0; i < length; ++i) {
        if ((textReceived_ >> (i / 2)) & 1 && text_[size_t(i)] == textEnd) {
            length = i;
            break;
        }
    }
    // Every pair up to the end must be in.
    for (int pair = 0; pair < (length + 1) / 2; ++pair)
        if (!((textReceived_ >> pair) & 1)) return;
    while (length > 0 && text_[size_t(length - 1)] == ' ') --length;
    state_.text = rdsTextToUtf8(text_.data(), size_t(length));
}

void RdsGroupDecoder::takeClock(uint16_t b, uint16_t c, uint16_t d) {
    const uint32_t mjd = (uint32_t(b & 3) << 15) | (c >> 1);
    const int hour = ((c & 1) << 4) | (d >> 12);
    const int minute = (d >> 6) & 63;
    const int halfHours = d & 31;
    const int offset = (d >> 5) & 1 ? -halfHours : halfHours;
    const RdsClock clock = localClock(mjd, hour, minute, offset);
    if (clock.valid) state_.clock = clock;
}

}  // namespace orv::receiver
