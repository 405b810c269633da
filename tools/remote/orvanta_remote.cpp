// Remote control for a running panel, through the three registered messages
// that every cooperating program shares.
//
//   orvanta_remote station N     select preset N (1..99)
//   orvanta_remote volume up|down
//   orvanta_remote mute on|off
//   orvanta_remote status          frequency, preset, muted, signal, style and card
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int usage() {
    std::fputs("usage: orvanta_remote station N | volume up|down | mute on|off | status\n", stderr);
    return 2;
}

// The message name and its wParam for a command; false when the command is unknown.
bool commandFor(const char* verb, const char* value, const char** message, WPARAM* wParam) {
    if (std::strcmp(verb, "station") == 0) {
        char* end = nullptr;
        long n = std::strtol(value, &end, 10);
        if (*value == '\0' || *end != '\0' || n < 0 || n > 0xFFFF) return false;
        *message = "TQ_SETSTATION";
        *wParam = WPARAM(n);
        return true;
    }
    if (std::strcmp(verb, "volume") == 0 && (std::strcmp(value, "up") == 0 || std::strcmp(value, "down") == 0)) {
        *message = "TQ_SETVOLUME";
        *wParam = std::strcmp(value, "up") == 0 ? 0 : 1;  // 0 steps up, anything else down
        return true;
    }
    if (std::strcmp(verb, "mute") == 0 && (std::strcmp(value, "on") == 0 || std::strcmp(value, "off") == 0)) {
        *message = "TQ_MUTE";
        *wParam = std::strcmp(value, "on") == 0 ? 1 : 0;
        return true;
    }
    return false;
}

}  // namespace

// One answer of the panel to a registered question; false when it did not answer.
bool ask(HWND panel, const char* name, WPARAM question, DWORD_PTR* answer) {
    UINT message = RegisterWindowMessageA(name);
    return message != 0 && SendMessageTimeoutA(panel, message, question, 0, SMTO_ABORTIFHUNG, 5000, answer);
}

// Writes n in decimal at out, with its terminating zero; returns where the zero is.
char* decimal(char* out, DWORD_PTR n) {
    char digits[24];
    int count = 0;
    do digits[count++] = char('0' + n % 10); while ((n /= 10) != 0);
    while (count > 0) *out++ = digits[--count];
    *out = '\0';
    return out;
}

void printLine(const char* key, const char* value) {
    std::fputs(key, stdout);
    std::fputs(": ", stdout);
    std::fputs(value, stdout);
    std::fputs("\n", stdout);
}

// Asks the panel its status ("TQ_STATUS", one number per question) and
// which card it drives ("TQ_CARD"), and prints them as key: value lines.
int printStatus(HWND panel) {
    static const char* const kinds[] = {"no card open", "the simulated card",
                                        "the card's port, directly",
                                        "the card's port, through the port driver library"};
    static const char* const styles[] = {"full", "compact", "mini"};
    enum { frequency, preset, muted, signal, style, questions };
    DWORD_PTR answers[questions] = {};
    for (int q = 0; q < questions; ++q) {
        if (!ask(panel, "TQ_STATUS", WPARAM(q), &answers[q])) {
            // A panel from before the status question still says which card it drives.
            if (q == 0) break;
            std::fputs("orvanta_remote: the panel did not answer\n", stderr);
            return 1;
        }
    }
    DWORD_PTR kind = 0;
    if (!ask(panel, "TQ_CARD", 0, &kind)) {
        std::fputs("orvanta_remote: the panel did not answer\n", stderr);
        return 1;
    }
    if (answers[frequency] != 0) {
        char text[32];
        char* end = decimal(text, answers[frequency] / 1000);
        *end++ = '.';
        for (int digit = 100; digit > 0; digit /= 10) *end++ = char('0' + answers[frequency] / digit % 10);
        *end = '\0';
        printLine("frequency", text);
        decimal(text, answers[preset]);
        printLine("preset", text);
        printLine("muted", answers[muted] ? "yes" : "no");
        printLine("signal", answers[signal] ? "yes" : "no");
        printLine("style", answers[style] < 3 ? styles[answers[style]] : "full");
    }
    printLine("card", kind < sizeof kinds / sizeof *kinds ? kinds[kind] : "unknown");
    return 0;
}

int main(int argc, char** argv) {
    const char* name = nullptr;
    WPARAM wParam = 0;
    const bool status = argc == 2 && std::strcmp(argv[1], "status") == 0;
    if (!status && (argc != 3 || !commandFor(argv[1], argv[2], &name, &wParam))) return usage();
    HWND panel = FindWindowA("OrvantaWClass", nullptr);
    if (!panel) {
        std::fputs("orvanta_remote: no panel is running\n", stderr);
        return 1;
    }
    if (status) return printStatus(panel);
    UINT message = RegisterWindowMessageA(name);
    if (message == 0 || !PostMessageA(panel, message, wParam, 0)) {
        std::fputs("orvanta_remote: the message could not be sent\n", stderr);
        return 1;
    }
    return 0;
}
