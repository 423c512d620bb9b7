// What the console needs from the platform.  Each system has one file that
// implements these functions (console_posix.cpp, console_windows.cpp, ...)
// and calls nothing else of the program: console.cpp owns the output buffer
// and decides when it is written, the platform only performs effects.
#pragma once

#include <cstddef>
#include <string_view>

#include "pause.hpp"

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

// A terminal's clear, of the window and of what scrolled off it: Windows
// Terminal and some others clear only the window for ESC [ 2 J.
constexpr std::string_view terminal_clear = "\x1b[H\x1b[2J\x1b[3J";

// The pause's input, once what came before it has been written.
// sys_keys_begin takes the keyboard, drops what was typed before the pause
// showed, and says which key sends an answer; sys_key_event waits ms at
// most (for ever when negative) for the next key event and stamps it with
// sys_now, a monotonic clock in ms: 1 with one, 0 when the time is up or
// the input was no key, -1 once the keyboard has gone; sys_keys_end gives
// the keyboard back, and drops what came with the last key or after it.
// Which events end the pause is the rule of pause.hpp, the same on every
// platform.
pause_key sys_keys_begin();
int sys_key_event(pause_event& e, int ms);
long long sys_now();
void sys_keys_end();
