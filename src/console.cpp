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

const char write_error[] = "erreur d'ecriture sur la sortie standard";

[[noreturn]] void fail(const char* what) {
    const int err = errno;
    std::fprintf(stderr, "calcstats: %s: %s\n", what, std::strerror(err));
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

void write(const char* text, std::size_t size) {
    if (size > sizeof out_buf - out_len) {
        flush();
        if (size > sizeof out_buf) {
            if (!sys_write(text, size))
                fail(write_error);
            return;
        }
    }
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

// The next byte of input, left in place, or -1 at end of input.  Running out
// of buffered input is the one moment the program waits for the player, so
// what it has written so far goes out first.
int peek() {
    if (in_pos < in_len)
        return in_buf[in_pos];
    if (in_ended)
        return -1;
    flush();
    const long n = sys_read(in_buf, sizeof in_buf);
    if (n < 0)
        fail("erreur de lecture sur l'entree standard");
    in_pos = 0;
    in_len = static_cast<std::size_t>(n);
    if (n == 0) {
        in_ended = true;
        return -1;
    }
    return in_buf[0];
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

// The prompt goes out once the terminal waits for the key, so that a key
// pressed as soon as it shows is taken as the key.  What the player typed
// before it was typed without knowing of the pause, a typo that led to it
// perhaps: the terminal drops its part, and the rest of the line already read
// goes too, so that a typo costs one error, not one for each word of it.
void console_pause() {
    static const char prompt[] = "Appuyez sur une touche pour continuer...";
    write(prompt, sizeof prompt - 1);
    if (streams.in_term) {
        sys_key_begin();
        flush();
        sys_key_read();
        sys_key_end();
        if (streams.pause_drops_line)
            in_pos = in_len;
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
