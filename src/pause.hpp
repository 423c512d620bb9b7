// The pause's rule: which input ends it, and when.  Every console applies
// it as it is here; each only reads its events, stamps them with a
// monotonic clock in milliseconds, and waits as long as told.  Nothing here
// reads a clock, reads input or writes output.
//
// A key counts once the keyboard has been still for a moment, since the
// pause showed or since the last input: so a second tap of Enter, a key
// held down since the answer or the rest of a paste leaves the sheet.  The
// pause ends once the keyboard has been still again for a moment after the
// key, so that nothing that came with it (the rest of a paste, of an
// escape sequence, a click's release) answers the next question.  The key
// coming again sooner than a person presses a key twice is held down, as a
// keyboard repeats it: the pause waits on, for stillness and then a fresh
// key.  A keyboard may repeat a held key as slowly as twice a second after
// a delay of up to 2 s (settings that people who press keys slowly use);
// only a platform that reports releases can tell such a repeat from a
// second press.  So the answer's own key, back within that delay of the
// pause showing, ends it only once it has not come again for as long as
// the slowest repeat takes, and back as soon, even before anything has
// counted, it is held: the cost of the doubt is time, never the sheet.
// The delay stops at 2 s, the longest that most desktops offer, since every
// Enter pressed within it pays that time; a hold that repeats only once
// after the pause shows is, to a terminal, a second press.  A browser says
// which keydowns are repeats: there is no doubt there.
#pragma once

#include <cstddef>

constexpr int pause_moment_ms = 200;  // quicker than a person reacts
constexpr int pause_repeat_ms = 100;  // sooner than a person presses a key twice
constexpr int pause_slow_ms = 600;    // the slowest repeat, twice a second, and a margin
// The longest delay before a held key repeats, and a margin for the pause
// showing tens of ms after the press and a repeat that a busy machine reads
// late: a promise must not tie with the rule.
constexpr int pause_delay_ms = 2200;

// A key as the platform knows it: the bytes that came together (a letter,
// an escape sequence, a character, a click's report), a virtual key's code,
// a browser's name for it.  16 bytes at most.
struct pause_key {
    unsigned char bytes[16];
    std::size_t size;
};

enum class pause_kind {
    key,     // pressed or repeated, which the platform cannot tell apart
    press,   // pressed, as the platform says
    repeat,  // repeated, as the platform says
};

struct pause_event {
    long long ms;
    pause_kind kind;
    pause_key key;
};

struct pause_state {
    pause_key answer;   // the key that sent the answer that led here
    pause_key watched;  // the key that a repeat would be of
    long long shown;    // when the pause showed
    long long last;     // when input last came, or the pause showed
    long long seen;     // when the watched key last came
    bool taken;         // the watched key ends the pause once all is still
    bool slow;          // the watched key may repeat as slowly as a keyboard can
};

// A pause that showed at shown, after an answer sent with the key answer.
pause_state pause_begin(long long shown, const pause_key& answer);

// One event; events come in the order of their times, but for one told
// late (a click, known for one once no double-click followed it), which
// counts where its time puts it.
void pause_feed(pause_state& p, const pause_event& e);

// At now: 0 once the pause is over; else how long to wait for the next
// event before asking again, in ms, or -1 for as long as it takes.
int pause_wait(const pause_state& p, long long now);
