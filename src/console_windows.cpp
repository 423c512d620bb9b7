// The console on Windows.
//
// Nothing is written into the stream for the console's sake: the title, the
// clearing and the key wait go through the console API, and clearing and
// waiting happen only when the stream in question is a console.  No console
// mode is ever changed, so there is nothing to give back on the way out, and
// Ctrl-C keeps its usual meaning, the pause included.
//
// Standard input and output are used in the C runtime's text mode: lines go
// out as CR LF, CR LF comes in as LF, and Ctrl-Z ends the input.

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <climits>

#include "console_sys.hpp"

namespace {

HANDLE in_handle;
HANDLE out_handle;
sys_streams streams;
bool title_set;

bool is_console(HANDLE h) {
    DWORD mode;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

// Shift, Ctrl, Alt and the lock keys alone are not a key press for the
// pause, as for the command interpreter's own.
bool is_modifier(WORD key) {
    switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
        return true;
    default:
        return false;
    }
}

}  // namespace

sys_streams sys_open() {
    in_handle = GetStdHandle(STD_INPUT_HANDLE);
    out_handle = GetStdHandle(STD_OUTPUT_HANDLE);
    streams.in_term = is_console(in_handle);
    streams.out_term = is_console(out_handle);
    return streams;
}

long sys_read(void* buf, std::size_t size) {
    return _read(0, buf, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
}

bool sys_write(const void* buf, std::size_t size) {
    const char* p = static_cast<const char*>(buf);
    while (size > 0) {
        const unsigned chunk = static_cast<unsigned>(size < INT_MAX ? size : INT_MAX);
        const int n = _write(1, p, chunk);
        if (n < 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sys_close() {
    return _close(1) == 0;
}

// Setting the title is a round trip to the console; when both streams are
// redirected no one is following the dialogue, so once is enough there.
void sys_title(const char* title) {
    if (title_set && !streams.in_term && !streams.out_term)
        return;
    SetConsoleTitleA(title);
    title_set = true;
}

void sys_clear() {
    console_flush();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(out_handle, &info))
        return;
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    const COORD origin = {0, 0};
    DWORD done;
    FillConsoleOutputCharacterA(out_handle, ' ', cells, origin, &done);
    FillConsoleOutputAttribute(out_handle, info.wAttributes, cells, origin, &done);
    SetConsoleCursorPosition(out_handle, origin);
}

// One key-down event is one press, whatever the key: it is taken from the
// console's input whole, so nothing of it reaches the next answer.
void sys_wait_key() {
    INPUT_RECORD event;
    DWORD count;
    console_flush();
    while (ReadConsoleInputA(in_handle, &event, 1, &count) && count == 1) {
        if (event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown &&
            !is_modifier(event.Event.KeyEvent.wVirtualKeyCode))
            return;
    }
}
