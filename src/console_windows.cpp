// The console on Windows.
//
// Calls made, and only on a console:
//   GetConsoleTitleW          keeps the title that the window had, which is
//   SetConsoleTitleW          given back at exit, on Ctrl-C, Ctrl-Break
//                             and closing the window, and on a write failure
//   SetConsoleTitleA          sets the window's title
//   SetConsoleMode            turns on ENABLE_VIRTUAL_TERMINAL_PROCESSING on
//                             the output, so that the clear is the terminal
//                             sequence ESC [ H ESC [ 2 J ESC [ 3 J (Windows
//                             Terminal clears only the visible window
//                             otherwise); the mode is given back with the
//                             title
//   FillConsoleOutput*        the clear, where that mode cannot be had
//   WaitForSingleObject       waits for the next input event as long as
//                             the pause's rule says
//   FlushConsoleInputBuffer   drops what was typed before the pause showed,
//                             and what came with its key or after it
//   ReadConsoleInputA         the pause's input, an event at a time: each
//                             key down, for the pause's rule
//   GetTickCount64            stamps each of them
//   SetConsoleCtrlHandler     gives the mode and the title back, and tells
//                             Ctrl-C from the end of input
//   Sleep                     waits a moment for that handler's word after
//                             an empty read, once, at the end of the input
//
// Standard output is used in the C runtime's text mode, so lines go out as
// CR LF, and so is a console's input.  Redirected input is read in binary
// mode, so that a UTF-16 text comes whole: text mode would end it at any
// 0x1A byte of a character, and join a character's 0x0D 0x0A bytes into
// one.  A Ctrl-Z (0x1A) in the text still ends it, as in text mode.

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <climits>
#include <cstdlib>

#include "console_sys.hpp"

namespace {

HANDLE in_handle;
HANDLE out_handle;
sys_streams streams;
bool title_set;
wchar_t saved_title[4096];
DWORD saved_mode;
volatile LONG mode_changed;
volatile LONG title_changed;
volatile LONG interrupted;

bool is_console(HANDLE h) {
    DWORD mode;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

// Gives back the mode and the title.  Idempotent, and safe from the control
// handler's own thread.
void leave() {
    if (InterlockedExchange(&mode_changed, 0) != 0)
        SetConsoleMode(out_handle, saved_mode);
    if (InterlockedExchange(&title_changed, 0) != 0)
        SetConsoleTitleW(saved_title);
}

// Runs on a thread of its own; returning FALSE lets the default handler end
// the process as usual.
BOOL WINAPI on_control(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        InterlockedExchange(&interrupted, 1);
    leave();
    return FALSE;
}

bool mode_enter() {
    if (!GetConsoleMode(out_handle, &saved_mode) ||
        !SetConsoleMode(out_handle, saved_mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return false;
    InterlockedExchange(&mode_changed, 1);
    return true;
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

// Keeps the window's title to give back.  An empty title is one to give
// back too: only a failure says that there is none.
void keep_title() {
    SetLastError(ERROR_SUCCESS);
    if (GetConsoleTitleW(saved_title, sizeof saved_title / sizeof *saved_title) != 0 ||
        GetLastError() == ERROR_SUCCESS)
        InterlockedExchange(&title_changed, 1);
}

}  // namespace

sys_streams sys_open() {
    in_handle = GetStdHandle(STD_INPUT_HANDLE);
    out_handle = GetStdHandle(STD_OUTPUT_HANDLE);
    streams.in_term = is_console(in_handle);
    streams.out_term = is_console(out_handle);
    // The title may be set with both streams redirected, and is then given
    // back as well.
    SetConsoleCtrlHandler(on_control, TRUE);
    std::atexit(leave);
    // Only a dialogue on two consoles is ever cleared.
    streams.clear_by_call = !(streams.in_term && streams.out_term && mode_enter());
    streams.ctrl_z_ends = !streams.in_term;
    if (!streams.in_term)
        _setmode(0, _O_BINARY);
    return streams;
}

// A console read that Ctrl-C interrupts fails with ERROR_OPERATION_ABORTED,
// or ends with no bytes as Ctrl-Z does; the handler that tells the two apart
// runs on a thread of its own and may come a little later.  Ctrl-C is an
// interrupt, not the end of the input, so the program ends as one.
long sys_read(void* buf, std::size_t size) {
    SetLastError(ERROR_SUCCESS);
    const int n = _read(0, buf, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
    if (n > 0 || !streams.in_term)
        return n;
    bool ctrl_c = interrupted != 0 || GetLastError() == ERROR_OPERATION_ABORTED;
    for (int waited = 0; n == 0 && !ctrl_c && waited < 100; waited += 10) {
        Sleep(10);
        ctrl_c = interrupted != 0;
    }
    if (ctrl_c) {
        leave();
        ExitProcess(STATUS_CONTROL_C_EXIT);
    }
    return n;
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

// The mode goes back while the handle is still open.
bool sys_close() {
    leave();
    return _close(1) == 0;
}

// Setting the title is a round trip to the console; when both streams are
// redirected no one is following the dialogue, so once is enough there.
std::string_view sys_title(const char* title) {
    if (title_set && !streams.in_term && !streams.out_term)
        return {};
    if (!title_set)
        keep_title();
    SetConsoleTitleA(title);
    title_set = true;
    return {};
}

std::string_view sys_clear() {
    if (mode_changed)
        return terminal_clear;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(out_handle, &info))
        return {};
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    const COORD origin = {0, 0};
    DWORD done;
    FillConsoleOutputCharacterA(out_handle, ' ', cells, origin, &done);
    FillConsoleOutputAttribute(out_handle, info.wAttributes, cells, origin, &done);
    SetConsoleCursorPosition(out_handle, origin);
    return {};
}

long long sys_now() {
    return static_cast<long long>(GetTickCount64());
}

// The console's input mode is left alone: key events come whole to
// ReadConsoleInputA whatever it is, and Ctrl-C keeps its usual meaning.
pause_key sys_keys_begin() {
    FlushConsoleInputBuffer(in_handle);
    return {{VK_RETURN}, 1};
}

// A key is its virtual key, when it goes down.  A console repeats a key held
// down as more downs, as a terminal repeats its bytes (Wine's console, in a
// terminal, sends a down and an up for each byte): the pause's rule tells
// them from presses by their times.  One record that counts several downs
// is a repeat.  Focus, mouse and menu events are no key, nor a release, nor
// Shift, Ctrl or Alt alone.
int sys_key_event(pause_event& e, int ms) {
    const DWORD r = WaitForSingleObject(in_handle, ms < 0 ? INFINITE : static_cast<DWORD>(ms));
    INPUT_RECORD event;
    DWORD count;
    if (r == WAIT_TIMEOUT)
        return 0;
    if (r != WAIT_OBJECT_0 || !ReadConsoleInputA(in_handle, &event, 1, &count) || count != 1)
        return -1;
    const KEY_EVENT_RECORD& k = event.Event.KeyEvent;
    if (event.EventType != KEY_EVENT || !k.bKeyDown || is_modifier(k.wVirtualKeyCode))
        return 0;
    e.ms = sys_now();
    e.kind = k.wRepeatCount > 1 ? pause_kind::repeat : pause_kind::key;
    e.key = {{static_cast<unsigned char>(k.wVirtualKeyCode)}, 1};
    return 1;
}

void sys_keys_end() {
    FlushConsoleInputBuffer(in_handle);
}
