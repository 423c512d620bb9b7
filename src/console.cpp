// The console's buffers, its "%d" formatting, its number reader and its
// pause: the part that is the same on every platform.  Both buffers have a
// fixed size, so memory stays the same whatever the length of the input.

#include "console.hpp"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console_sys.hpp"

namespace {

sys_streams streams;

char out_buf[1 << 16];
std::size_t out_len;

unsigned char in_buf[1 << 16];
std::size_t in_pos, in_len;
bool in_ended;  // sticky, as stdio's end-of-file flag is

// How the input is encoded, as its first bytes say.  UTF-16 is read a code
// unit at a time, each unit outside ASCII taken as one byte that is neither
// a digit nor a blank, as a byte outside ASCII is in any other input.
enum class encoding { unknown, bytes, utf16le, utf16be };
encoding in_encoding;
int in_odd = -1;  // a UTF-16 unit's first byte, while its second is to come

const char write_error[] = "erreur d'ecriture sur la sortie standard";

// Says what failed and why on standard error, in pieces rather than with
// fprintf, whose formatting would be most of the web page's program.
[[noreturn]] void fail(const char* what) {
    const char* why = std::strerror(errno);
    for (const char* piece : {"calcstats: ", what, ": ", why, "\n"})
        std::fputs(piece, stderr);
    std::exit(1);
}

void flush() {
    if (out_len == 0)
        return;
    const std::size_t size = out_len;
    out_len = 0;
    if (!sys_write(out_buf, size))
        fail(write_error);
}

// Every text of the program is a few hundred bytes at most, far less than
// the buffer holds.
void write(const char* text, std::size_t size) {
    if (size > sizeof out_buf - out_len)
        flush();
    std::memcpy(out_buf + out_len, text, size);
    out_len += size;
}

// An effect's bytes from the platform; an empty view may hold no pointer.
void write_effect(std::string_view bytes) {
    if (!bytes.empty())
        write(bytes.data(), bytes.size());
}

void write_int(int value) {
    // Work on the magnitude as unsigned so that INT_MIN needs no negation.
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char digits[12];
    char* p = digits + sizeof digits;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = '-';
    write(p, static_cast<std::size_t>(digits + sizeof digits - p));
}

// The byte order marks that an input may open with: a UTF-8 one, which
// Notepad writes, is skipped; a UTF-16 one, which Windows PowerShell 5.1
// writes, has the rest read as UTF-16 of its byte order.
struct byte_order_mark {
    std::string_view bytes;
    encoding then;
};
const byte_order_mark marks[] = {
    {"\xef\xbb\xbf", encoding::bytes}, {"\xff\xfe", encoding::utf16le}, {"\xfe\xff", encoding::utf16be}};

// Settles the encoding from the first bytes of the input, unless they may
// still be the start of a mark whose rest has not come yet.
void learn_encoding() {
    const std::string_view first(reinterpret_cast<const char*>(in_buf), in_len);
    in_encoding = encoding::bytes;
    for (const byte_order_mark& mark : marks) {
        if (mark.bytes.substr(0, first.size()) == first.substr(0, mark.bytes.size())) {
            if (first.size() < mark.bytes.size() && !in_ended) {
                in_encoding = encoding::unknown;
                return;
            }
            if (first.size() >= mark.bytes.size()) {
                in_pos = mark.bytes.size();
                in_encoding = mark.then;
            }
        }
    }
}

// Turns the UTF-16 units of the buffer into single bytes where they stand.
void decode_utf16() {
    const bool little = in_encoding == encoding::utf16le;
    std::size_t to = in_pos;
    std::size_t from = in_pos;
    for (; from + 1 < in_len; from += 2) {
        const unsigned char low = in_buf[from + (little ? 0 : 1)];
        const unsigned char high = in_buf[from + (little ? 1 : 0)];
        in_buf[to++] = high == 0 && low < 0x80 ? low : 0x80;
    }
    in_odd = from < in_len ? in_buf[from] : -1;
    in_len = to;
}

// Fills the buffer afresh.  Running out of buffered input is the one moment
// the program waits for the player, so what it has written so far goes out
// first.
void refill() {
    flush();
    in_pos = in_len = 0;
    if (in_odd >= 0)
        in_buf[in_len++] = static_cast<unsigned char>(in_odd);
    do {
        const long n = sys_read(in_buf + in_len, sizeof in_buf - in_len);
        if (n < 0)
            fail("erreur de lecture sur l'entree standard");
        in_ended = n == 0;
        in_len += static_cast<std::size_t>(n);
        if (in_encoding == encoding::unknown)
            learn_encoding();
    } while (in_encoding == encoding::unknown);
    if (in_encoding != encoding::bytes)
        decode_utf16();
    const void* ctrl_z = streams.ctrl_z_ends ? std::memchr(in_buf + in_pos, 0x1a, in_len - in_pos) : nullptr;
    if (ctrl_z != nullptr) {
        in_len = static_cast<std::size_t>(static_cast<const unsigned char*>(ctrl_z) - in_buf);
        in_ended = true;
    }
}

// The next byte of input, left in place, or -1 at end of input.
int peek() {
    while (in_pos == in_len) {
        if (in_ended)
            return -1;
        refill();
    }
    return in_buf[in_pos];
}

bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

void drop_line() {
    int c;
    while ((c = peek()) != -1) {
        ++in_pos;
        if (c == '\n')
            break;
    }
}

// Drops what the buffer holds of the line being read, unless it was read to
// its end; the lines after it stay.
void drop_rest_of_line() {
    if (in_pos == 0 || in_buf[in_pos - 1] == '\n')
        return;
    const auto* end = static_cast<const unsigned char*>(std::memchr(in_buf + in_pos, '\n', in_len - in_pos));
    in_pos = end != nullptr ? static_cast<std::size_t>(end - in_buf) + 1 : in_len;
}

// Waits for the pause's key, asking the pause's rule what each key event
// means and how long to wait for the next.
void wait_key() {
    const pause_key answer = sys_keys_begin();  // which may wait for the output to drain
    pause_state p = pause_begin(sys_now(), answer);
    for (int ms; (ms = pause_wait(p, sys_now())) != 0;) {
        pause_event e{};
        const int got = sys_key_event(e, ms);
        if (got < 0)
            break;
        if (got > 0)
            pause_feed(p, e);
    }
    sys_keys_end();
}

}  // namespace

void console_open() {
    streams = sys_open();
}

int console_close() {
    flush();
    if (!sys_close())
        fail(write_error);
    return 0;
}

void console_print(std::string_view text, std::initializer_list<int> args) {
    const int* arg = args.begin();
    for (;;) {
        const std::size_t at = text.find("%d");
        if (at == std::string_view::npos || arg == args.end()) {
            write(text.data(), text.size());
            return;
        }
        write(text.data(), at);
        write_int(*arg++);
        text.remove_prefix(at + 2);
    }
}

void console_puts(std::string_view text) {
    write(text.data(), text.size());
    write("\n", 1);
}

void console_title(const char* title) {
    write_effect(sys_title(title));
}

// Clearing wipes what was on the screen, so it waits for someone to have
// read it: only when the pause can wait for a key, that is when standard
// input is a terminal too.
void console_clear() {
    if (!streams.in_term || !streams.out_term)
        return;
    if (streams.clear_by_call)
        flush();
    write_effect(sys_clear());
}

// The prompt and all before it go out first: the pause counts only a key
// pressed once they can be seen.  What the player typed before that was
// typed without knowing of the pause, a typo that led to it perhaps: the
// platform drops its part, and the rest of the line already read goes too,
// so that a typo costs one error, not one for each word of it.  The lines
// after it stay: a pasted list of builds plays out, a key at each pause.
void console_pause() {
    static const char prompt[] = "Appuyez sur une touche pour continuer...";
    write(prompt, sizeof prompt - 1);
    if (streams.in_term) {
        flush();
        wait_key();
        drop_rest_of_line();
    }
    write("\n", 1);
}

bool console_read_int(int& value) {
    int c;
    while (is_space(c = peek()))
        ++in_pos;
    if (c == -1)
        return false;

    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        ++in_pos;
        c = peek();
    }
    if (!is_digit(c)) {
        drop_line();
        return true;
    }

    // Every digit is read, but the magnitude stops growing at the limit.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    while (is_digit(c = peek())) {
        if (magnitude < limit)
            magnitude = magnitude * 10 + (c - '0');
        ++in_pos;
    }
    if (magnitude > limit)
        magnitude = limit;
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
