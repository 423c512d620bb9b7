// What the console needs from the platform.  Each system has one file that
// implements these functions (console_posix.cpp, console_windows.cpp, ...)
// and calls nothing else of the program: console.cpp owns the output buffer
// and decides when it is written, the platform only performs effects.
#pragma once

#include <cstddef>
#include <string_view>

struct sys_streams {
    bool in_term;        // standard input is a terminal or console
    bool out_term;       // standard output is a terminal or console
    bool clear_by_call;  // sys_clear clears through a call of its own, not
                         // with bytes in the stream: write what came first
    bool ctrl_z_ends;    // a Ctrl-Z (0x1A) in the text ends the input
};

// Queries the streams and sets up whatever the platform needs to give the
// terminal back on every way out.  Called once, by console_open.
sys_streams sys_open();

// Reads up to size bytes of standard input: the count, 0 at end of input, or
// -1 with errno set.
long sys_read(void* buf, std::size_t size);

// Writes all of buf to standard output, or returns false with errno set.
bool sys_write(const void* buf, std::size_t size);

// Gives back what was changed (the title, on a terminal) and closes standard
// output so that a late write error is seen; false with errno.
bool sys_close();

// The title and the clear.  A terminal takes them as bytes in the output
// stream, which these return for the caller to write in its turn; a console
// that takes them through calls of its own makes the call and returns
// nothing.
std::string_view sys_title(const char* title);
std::string_view sys_clear();

// The pause's key, once what came before it has been written: drops what
// was typed before the pause showed and what comes until the keyboard has
// been still for a moment, waits for a key pressed after that, and drops
// what follows the key until the keyboard is still again (the rest of a
// paste, of a key's sequence, of a click), so that nothing typed before the
// next question shows answers it.  A key that comes again sooner than a
// person presses a key twice is held down, repeated by the keyboard, not
// pressed: the pause waits on, for stillness and then a fresh key.  The
// moment is quicker than any person reacts, slower than a double tap, a
// paste's tail or a key's repeat.
constexpr int sys_moment_ms = 200;
constexpr int sys_repeat_ms = 100;
void sys_key();
