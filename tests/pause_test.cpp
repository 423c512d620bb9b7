// Plays each timeline of a file through the pause's rule, as a console does:
// before each event it asks how long to wait, and the pause is over if that
// time runs out first.  A line is when the pause ends, or "waits", then the
// events: TIME:KEY, where KEY takes \n \r \t \\ and \xHH and may start with
// + (a press) or * (a repeat), as a platform that can tell says; ~EVERYxCOUNT
// after it makes it COUNT events, EVERY ms apart.  The pause shows at 0,
// after an answer sent with \n.
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

// When the pause ends, or "waits".
std::string play(std::istringstream& words) {
    pause_state p = pause_begin(0, key_of("\\n"));
    long long now = 0;
    std::string word;
    while (words >> word) {
        pause_event e{};
        std::size_t at = word.find(':') + 1, tilde = word.find('~');
        const std::size_t kind = std::string("+*").find(word[at]);
        e.kind = kind == std::string::npos ? pause_kind::key : static_cast<pause_kind>(kind + 1);
        e.key = key_of(word.substr(at + (kind != std::string::npos), tilde - at - (kind != std::string::npos)));
        const long long first = std::stoll(word), every = tilde == std::string::npos ? 0 : std::stoll(word.substr(tilde + 1));
        const long long count = every == 0 ? 1 : std::stoll(word.substr(word.find('x', tilde) + 1));
        for (long long i = 0; i < count; ++i) {
            e.ms = first + i * every;
            const int ms = pause_wait(p, now);
            if (ms >= 0 && now + ms <= e.ms)
                return std::to_string(now + ms);
            pause_feed(p, e);
            now = e.ms > now ? e.ms : now;
        }
    }
    const int ms = pause_wait(p, now);
    return ms < 0 ? "waits" : std::to_string(now + ms);
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
