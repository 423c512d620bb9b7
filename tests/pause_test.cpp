// Plays each timeline of a file through the pause's rule, as a console does:
// it asks how long to wait, and asks again when that time runs out before
// the next event, until the rule says the pause is over.  A line is when the pause ends, or "waits", then the
// events: TIME:KEY, where KEY takes \n \r \t \\ and \xHH and may start with
// + (a press) or * (a repeat), as a platform that can tell says; ~EVERYxCOUNT
// after it makes it COUNT events, EVERY ms apart.  The pause shows at 0 of
// the file's times, after an answer sent with \n; the clock, which starts
// wherever it does, reads a million ms then.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "pause.hpp"

namespace {

pause_key key_of(const std::string& text) {
    pause_key k{};
    for (std::size_t i = 0; i < text.size() && k.size < sizeof k.bytes; ++i) {
        char c = text[i];
        if (c == '\\' && text[i + 1] == 'x')
            c = static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)), i += 3;
        else if (c == '\\')
            c = "\n\r\t\\"[std::string("nrt\\").find(text[++i])];
        k.bytes[k.size++] = static_cast<unsigned char>(c);
    }
    return k;
}

const long long start = 1000000;

// Lets time go by until the event at ms, if any; when the pause is over
// by then, or "waits" if it never is.
std::string until(const pause_state& p, long long& now, long long ms) {
    for (int asked = 0; asked < 100; ++asked) {
        const int wait = pause_wait(p, now);
        if (wait == 0)
            return std::to_string(now - start);
        if (wait < 0 || (ms >= 0 && now + wait > ms))
            return wait < 0 && ms < 0 ? "waits" : "";
        now += wait;
    }
    return "never";
}

// When the pause ends, or "waits".
std::string play(std::istringstream& words) {
    pause_state p = pause_begin(start, key_of("\\n"));
    long long now = start;
    std::string word;
    while (words >> word) {
        pause_event e{};
        std::size_t at = word.find(':') + 1, tilde = word.find('~');
        const std::size_t kind = std::string("+*").find(word[at]);
        e.kind = kind == std::string::npos ? pause_kind::key : static_cast<pause_kind>(kind + 1);
        e.key =
            key_of(word.substr(at + (kind != std::string::npos), tilde - at - (kind != std::string::npos)));
        const long long first = std::stoll(word),
                        every = tilde == std::string::npos ? 0 : std::stoll(word.substr(tilde + 1));
        const long long count = every == 0 ? 1 : std::stoll(word.substr(word.find('x', tilde) + 1));
        for (long long i = 0; i < count; ++i) {
            e.ms = start + first + i * every;
            const std::string ended = until(p, now, e.ms);
            if (!ended.empty())
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
    std::string line, want;
    int number = 0, played = 0, failed = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        if (++number, !(words >> want) || want[0] == '#')
            continue;
        const std::string got = play(words);
        if (got != want)
            std::printf("%s:%d: ends %s, not %s\n", argv[1], number, got.c_str(), want.c_str()), ++failed;
        ++played;
    }
    std::printf("%d passed, %d failed\n", played - failed, failed);
    return failed != 0 || played == 0;
}
