// Plays each timeline of a file through the pause's rule, as a console does:
// it asks how long to wait, and asks again when that time runs out before
// the next event, until the rule says the pause is over.  A line is when
// the pause ends, or "waits", then the events: TIME:KEY, where KEY takes
// \n \r \t \\ and \xHH and may start with + (a press) or * (a repeat), as a
// platform that can tell says; ~EVERYxCOUNT after it makes it COUNT
// events, EVERY ms apart.  The pause shows at 0 of the file's times, after
// an answer sent with \n.  Each line is played twice, the clock reading a
// million ms then and past 2^32 ms, as a machine up for 50 days reads it.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pause.hpp"

namespace {

// The events of a word, their times from the pause; none if it is not one.
std::vector<pause_event> parse(const std::string& word) {
    const char* s = word.c_str();
    char* end = nullptr;
    pause_event e{std::strtoll(s, &end, 10), pause_kind::key, {}};
    const std::string from = "nrt\\", to = "\n\r\t\\";
    if (*end != ':')
        return {};
    if (s = end + 1; *s == '+' || *s == '*')
        e.kind = *s++ == '+' ? pause_kind::press : pause_kind::repeat;
    for (; *s != '\0' && *s != '~'; ++s) {
        int c = *s;
        if (c == '\\' && s[1] == 'x') {
            if (std::isxdigit(static_cast<unsigned char>(s[2])) == 0 ||
                std::isxdigit(static_cast<unsigned char>(s[3])) == 0)
                return {};
            c = std::stoi(std::string(s + 2, 2), nullptr, 16);
            s += 3;
        } else if (c == '\\') {
            const std::size_t at = from.find(*++s);
            if (at == std::string::npos)
                return {};
            c = to[at];
        }
        if (e.key.size == sizeof e.key.bytes)
            return {};
        e.key.bytes[e.key.size++] = static_cast<unsigned char>(c);
    }
    long long every = 0, count = 1;
    if (*s == '~' && std::sscanf(s, "~%lldx%lld", &every, &count) != 2)
        return {};
    std::vector<pause_event> events;
    for (; count-- > 0; e.ms += every)
        events.push_back(e);
    return events;
}

// When the pause ends, with the clock reading start as it shows: "waits"
// when it never does, "late" when it waits on past all reason.
std::string play(const std::vector<pause_event>& events, long long start) {
    pause_state p = pause_begin(start, {{'\n'}, 1});
    long long now = start;
    std::size_t next = 0;
    for (int wait; (wait = pause_wait(p, now)) != 0;) {
        if (now > start + 100000)
            return "late";
        if (next == events.size() && wait < 0)
            return "waits";
        if (next < events.size() && (wait < 0 || now + wait > start + events[next].ms)) {
            pause_event e = events[next++];
            e.ms += start;
            pause_feed(p, e);
            now = e.ms > now ? e.ms : now;
        } else {
            now += wait;
        }
    }
    return std::to_string(now - start);
}

}  // namespace

int main(int argc, char** argv) {
    std::ifstream in(argc > 1 ? argv[1] : "");
    int number = 0, played = 0, failed = 0;
    for (std::string line, want; std::getline(in, line);) {
        std::istringstream words(line);
        ++number;
        if (!(words >> want) || want[0] == '#')
            continue;
        std::vector<pause_event> events;
        bool read = true;
        for (std::string word; words >> word;) {
            const std::vector<pause_event> more = parse(word);
            events.insert(events.end(), more.begin(), more.end());
            read = read && !more.empty();
        }
        ++played;
        for (const long long start : {1000000LL, (1LL << 32) + 1000000}) {
            const std::string got = read ? play(events, start) : "unreadable";
            if (got != want) {
                std::printf("%s:%d: ends %s, not %s (clock at %lld)\n", argv[1], number, got.c_str(),
                            want.c_str(), start);
                ++failed;
                break;
            }
        }
    }
    std::printf("%d passed, %d failed\n", played - failed, failed);
    return failed != 0 || played == 0;
}
