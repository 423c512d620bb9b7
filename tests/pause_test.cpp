// Plays each timeline of a file through the pause's rule, as a console does:
// it asks how long to wait, and asks again when that time runs out before
// the next event, until the rule says the pause is over.  A line is when
// the pause ends, or "waits", then the events: TIME:KEY, where KEY takes
// \n \r \t \\ and \xHH and may start with + (a press) or * (a repeat), as a
// platform that can tell says; ~EVERYxCOUNT after it makes it COUNT
// events, EVERY ms apart.  The pause shows at 0 of the file's times, after
// an answer sent with \n; the clock, which starts wherever it does, reads a
// million ms then.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "pause.hpp"

namespace {

const long long start = 1000000;

// Parses the event at s, and its repeats; s is left after it.
pause_event parse(const char*& s, long long& every, long long& count) {
    pause_event e{start + std::strtoll(s, const_cast<char**>(&s), 10), pause_kind::key, {}};
    const std::string kinds = " +*";
    e.kind = static_cast<pause_kind>(kinds.find(*++s) == std::string::npos ? 0 : kinds.find(*s++));
    for (; *s != '\0' && *s != '~' && e.key.size < sizeof e.key.bytes; ++s) {
        const bool hex = s[0] == '\\' && s[1] == 'x';
        const long c = hex          ? std::strtol(std::string(s + 2, 2).c_str(), nullptr, 16)
                       : *s == '\\' ? "\n\r\t\\"[std::string("nrt\\").find(*++s)]
                                    : *s;
        e.key.bytes[e.key.size++] = static_cast<unsigned char>(c);
        s += hex ? 3 : 0;
    }
    every = *s == '~' ? std::strtoll(s + 1, const_cast<char**>(&s), 10) : 0;
    count = every > 0 ? std::strtoll(s + 1, nullptr, 10) : 1;
    return e;
}

// Lets time go by until ms (for ever when negative): when the pause is over
// by then, "waits" if it never is, or nothing if the next event comes first.
std::string until(const pause_state& p, long long& now, long long ms) {
    for (int wait; (wait = pause_wait(p, now)) != 0; now += wait)
        if (wait < 0 || (ms >= 0 && now + wait > ms) || now > start + 100000)
            return wait < 0 && ms < 0 ? "waits" : "";
    return std::to_string(now - start);
}

std::string play(std::istringstream& words) {
    pause_state p = pause_begin(start, {{'\n'}, 1});
    long long now = start, every = 0, count = 0;
    for (std::string word; words >> word;) {
        const char* s = word.c_str();
        pause_event e = parse(s, every, count);
        for (; count-- > 0; e.ms += every) {
            if (std::string ended = until(p, now, e.ms); !ended.empty())
                return ended;
            pause_feed(p, e);
            now = e.ms > now ? e.ms : now;
        }
    }
    return until(p, now, -1);
}

}  // namespace

int main(int, char** argv) {
    std::ifstream in(argv[1]);
    int number = 0, played = 0, failed = 0;
    for (std::string line, want; std::getline(in, line); ++number) {
        std::istringstream words(line);
        if (!(words >> want) || want[0] == '#')
            continue;
        const std::string got = play(words);
        if (got != want)
            std::printf("%s:%d: ends %s, not %s\n", argv[1], number + 1, got.c_str(), want.c_str()), ++failed;
        ++played;
    }
    std::printf("%d passed, %d failed\n", played - failed, failed);
    return failed != 0 || played == 0;
}
