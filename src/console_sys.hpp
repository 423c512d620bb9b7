// What the console needs from the platform: one implementation file per
// system (console_posix.cpp, console_windows.cpp), used by console.cpp only.
#pragma once

#include <cstddef>

struct sys_streams {
    bool in_term;   // standard input is a terminal or console
    bool out_term;  // standard output is a terminal or console
};

// Queries the streams (once per process) and sets up whatever the platform
// needs to give the terminal back on every way out.
sys_streams sys_open();

// Reads up to size bytes of standard input: the count, 0 at end of input, or
// -1 with errno set.
long sys_read(void* buf, std::size_t size);

// Writes all of buf to standard output, or returns false with errno set.
bool sys_write(const void* buf, std::size_t size);

// Closes standard output so that a late write error is seen; false with errno.
bool sys_close();

void sys_title(const char* title);
void sys_clear();

// Waits for one key press on the terminal, without echo.  What is buffered
// goes out once the terminal is ready for the key, so a key pressed as soon
// as the prompt shows is taken as the key.
void sys_wait_key();

// Provided by console.cpp for the platform files: writes into the output
// buffer, or hands the buffer to the system now.
void console_write(const char* text, std::size_t size);
void console_flush();
