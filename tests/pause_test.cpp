// Plays each timeline of a file through the pause's rule, as a console does:
// it asks how long to wait, and asks again when that time runs out before
// the next event, until the rule says the pause is over.  A line is when
// the pause ends, or "waits", then the events: TIME:KEY, where KEY takes
// \n \r \t \\ and \xHH and may start with + (a press) or * (a repeat), as a
// platform that can tell says; ~EVERYxCOUNT after it makes it COUNT
// events, EVERY ms apart.  The pause shows at 0 of the file's times, after
// an answer sent with \n.  Each line is played twice, the clock reading a
// million ms then and past 2^32 ms, as a machine up for 50 days reads it.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pause.hpp"

namespace {

// The byte that the key's text at s stands for, s left after it: a
// character, \n \r \t \\ or \xHH; -1 for any other escape.
int byte(const char*& s) {
    const std::string from = "nrt\\", to = "\n\r\t\\";
    unsigned hex = 0;
    int n = 0;
    if (*s != '\\')
        return static_cast<unsigned char>(*s++);
    if (s[1] == 'x' && std::sscanf(s + 2, "%2x%n", &hex, &n) == 1 && n == 2)
        return s += 4, static_cast<int>(hex);
    const std::size_t at = from.find(s[1]);  // none for the word's end
    return at == std::string::npos ? -1 : (s += 2, to[at]);
}

// Adds the events of a word, their times from the pause; false if it is none.
bool parse(const std::string& word, std::vector<pause_event>& events) {
    const char* s = word.c_str();
    int n = 0;
    long long ms = 0, every = 0, count = 1;
    if (std::sscanf(s, "%lld:%n", &ms, &n) != 1 || n == 0)
        return false;
    pause_event e{ms, pause_kind::key, {}};
    if (*(s += n) == '+' || *s == '*')
        e.kind = *s++ == '+' ? pause_kind::press : pause_kind::repeat;
    while (*s != '\0' && *s != '~') {
        const int c = byte(s);
        if (c < 0 || e.key.size == sizeof e.key.bytes)
            return false;
        e.key.bytes[e.key.size++] = static_cast<unsigned char>(c);
    }
    if (*s == '~' && std::sscanf(s, "~%lldx%lld", &every, &count) != 2)
        return false;
    for (; count-- > 0; e.ms += every)
        events.push_back(e);
    return true;
}

// When the pause ends, the clock reading start as it shows: "waits" when it
// never does, "late" when it waits on past all reason.
std::string play(const std::vector<pause_event>& events, long long start) {
    pause_state p = pause_begin(start, {{'\n'}, 1});
    long long now = start;
    std::size_t next = 0;
    for (int wait; (wait = pause_wait(p, now)) != 0 && now < start + 100000;) {
        if (next < events.size() && (wait < 0 || now + wait > start + events[next].ms)) {
            pause_event e = events[next++];
            e.ms += start;
            pause_feed(p, e);
            now = e.ms > now ? e.ms : now;
        } else if (wait < 0) {
            return "waits";
        } else {
            now += wait;
        }
    }
    return now < start + 100000 ? std::to_string(now - start) : "late";
}

}  // namespace

int main(int argc, char** argv) {
    std::ifstream in(argc > 1 ? argv[1] : "");
    int number = 0, played = 0, failed = 0;
    for (std::string line, want, word; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::vector<pause_event> events;
        bool read = true;
        if (!(words >> want) || want[0] == '#')
            continue;
        while (words >> word)
            read = parse(word, events) && read;
        for (const long long start : {1000000LL, (1LL << 32) + 1000000}) {
            const std::string got = read ? play(events, start) : "unreadable";
            if (got != want) {
                std::printf("%s:%d: ends %s, not %s, the clock at %lld\n", argv[1], number + 1, got.c_str(),
                            want.c_str(), start);
                ++failed;
                break;
            }
        }
        ++played;
    }
    std::printf("%d passed, %d failed\n", played - failed, failed);
    return failed != 0 || played == 0;
}
