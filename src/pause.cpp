#include "pause.hpp"

#include <climits>
#include <cstring>

namespace {

// Whether k is key again, whole, once or more: a keyboard's repeats pile up
// when the program reads late, and the 16 bytes of a read may cut the last
// one short.  A key read late may itself be such a pile, whole or, when it
// fills a read, cut short: its repeating piece is the key.
bool same(const pause_key& k, const pause_key& key) {
    const bool full = key.size == sizeof key.bytes;
    std::size_t piece = 1;
    while (piece < key.size && ((!full && key.size % piece != 0) ||
                                std::memcmp(key.bytes, key.bytes + piece, key.size - piece) != 0))
        ++piece;
    if (key.size == 0 || k.size < piece)
        return false;
    for (std::size_t i = 0; i < k.size; ++i)
        if (k.bytes[i] != key.bytes[i % piece])
            return false;
    return true;
}

}  // namespace

pause_state pause_begin(long long shown, const pause_key& answer) {
    pause_state p{};
    p.answer = p.watched = answer;
    p.shown = p.last = shown;
    p.seen = shown - pause_slow_ms;  // the answer's own press is no repeat's start
    p.slow = true;                   // the answer's key may be held since
    return p;
}

void pause_feed(pause_state& p, const pause_event& e) {
    bool mine = same(e.key, p.watched);
    const bool sure = e.kind != pause_kind::key;
    const bool repeat = sure ? e.kind == pause_kind::repeat
                             : mine && e.ms - p.seen < (p.slow ? pause_slow_ms : pause_repeat_ms);
    if (p.taken && mine && repeat) {
        p.taken = false;  // held: stillness, then a fresh key
    } else if (!p.taken && !repeat && e.ms - p.last >= pause_moment_ms) {
        p.taken = mine = true;
        p.watched = e.key;
        p.slow = !sure && same(e.key, p.answer) && e.ms - p.shown < pause_delay_ms;
    }
    if (mine)
        p.seen = e.ms;
    if (e.ms > p.last)
        p.last = e.ms;
}

int pause_wait(const pause_state& p, long long now) {
    if (!p.taken)
        return -1;
    long long until = p.last + pause_moment_ms;
    if (p.slow && p.seen + pause_slow_ms > until)
        until = p.seen + pause_slow_ms;
    return until <= now ? 0 : until - now > INT_MAX ? INT_MAX : static_cast<int>(until - now);
}
