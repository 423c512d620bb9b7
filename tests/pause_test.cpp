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
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "pause.hpp"

namespace {

const std::regex event(R"((\d+):([+*]?)((?:\\x[0-9a-fA-F]{2}|\\[nrt\\]|[^\\~])*)(?:~(\d+)x(\d+))?)");
const std::regex escape(R"(\\x([0-9a-fA-F]{2})|\\(.)|(.))");

// The byte that an escape of the key, or a character, stands for.
unsigned char byte(const std::smatch& m) {
    const std::string c = m[2].matched ? m[2] : m[3];
    return static_cast<unsigned char>(m[1].matched   ? std::stoi(m[1], nullptr, 16)
                                      : m[2].matched ? "\n\r\t\\"[std::string("nrt\\").find(c)]
                                                     : c[0]);
}

// Adds the events of a word, their times from the pause; false if it is none.
bool parse(const std::string& word, std::vector<pause_event>& events) {
    std::smatch m;
    if (!std::regex_match(word, m, event))
        return false;
    pause_event e{std::stoll(m[1]), pause_kind::key, {}};
    if (m[2].length() > 0)
        e.kind = m[2] == "+" ? pause_kind::press : pause_kind::repeat;
    const std::string key = m[3];
    for (std::sregex_iterator b(key.begin(), key.end(), escape), end; b != end; ++b) {
        if (e.key.size == sizeof e.key.bytes)
            return false;
        e.key.bytes[e.key.size++] = byte(*b);
    }
    for (long long n = m[5].matched ? std::stoll(m[5]) : 1; n-- > 0;
         e.ms += m[4].matched ? std::stoll(m[4]) : 0)
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
