// The console: the only way the rest of the program reaches the player.
//
// Output is kept in a buffer and handed to the system only when the program
// is about to wait for the player (a read that must block, the pause's key),
// before a clear that the platform makes by a call of its own rather than
// with bytes in the stream, when the buffer is full, and at exit.  A failed
// write is reported on standard error and ends the program with status 1.
#pragma once

#include <initializer_list>
#include <string_view>

// Called once, before anything else: asks the platform what standard input
// and output are connected to.
void console_open();

// Writes what is still buffered and returns the exit status for main.
int console_close();

// Writes text as is: each "%d" in it takes the next of args, in decimal.
void console_print(std::string_view text, std::initializer_list<int> args = {});

// Writes text followed by a newline.
void console_puts(std::string_view text);

// Sets the console window's title.
void console_title(const char* title);

// Empties the screen and puts the cursor at the top left; nothing happens when
// standard output is not a terminal.
void console_clear();

// Asks for a key and, when standard input is a terminal, waits for one; the
// key also ends whatever was typed before it.
void console_pause();

// Reads a whole number the way scanf("%d") does, but an answer that holds no
// number is dropped up to the end of its line and value is left alone, and a
// number out of range saturates like strtol.  Returns false, leaving value
// alone, when nothing but white space is left before the end of input.
bool console_read_int(int& value);
