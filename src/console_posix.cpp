// The console on POSIX terminals and pipes.
//
// Sequences written, and only when standard output is a terminal:
//   ESC ] 0 ; TITLE BEL    sets the window (and icon) title
//   ESC [ H                moves the cursor to the top left
//   ESC [ 2 J              erases the screen
//   ESC [ 3 J              erases the scrollback, so the old screen is gone too
//
// The terminal is changed only while the pause waits for its key: echo and
// line mode are turned off, signals stay on so Ctrl-C still interrupts.  It
// is given back after the key, at exit, and on SIGINT, SIGTERM, SIGHUP and
// SIGQUIT, after which the signal is raised again so that the process ends
// as the signal would have ended it.  Ctrl-Z (SIGTSTP) gives it back too
// while the program is stopped, and takes it again when it goes on.

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "console_sys.hpp"

namespace {

sys_streams streams;
struct termios saved;
struct termios raw;
volatile sig_atomic_t changed;

// Idempotent and async-signal-safe: it is called from signal handlers.
void term_leave() {
    if (changed) {
        changed = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
}

bool term_enter() {
    if (tcgetattr(STDIN_FILENO, &saved) != 0)
        return false;
    raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    changed = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
        changed = 0;
        return false;
    }
    return true;
}

void on_signal(int sig) {
    term_leave();
    // The handler was installed with SA_RESETHAND, so the signal, held back
    // until this handler returns, then takes its default action.
    raise(sig);
}

void catch_signal(int sig, void (*handler)(int), int flags) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sa.sa_flags = flags;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

// Stops the process with the terminal as the shell gave it, then takes the
// key-wait mode again if the pause is still waiting when it goes on.
void on_stop(int sig) {
    const int was_changed = changed;
    const int saved_errno = errno;
    term_leave();
    catch_signal(sig, SIG_DFL, 0);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);  // stopped here until SIGCONT
    // cppcheck-suppress unreachableCode
    sigprocmask(SIG_BLOCK, &set, nullptr);
    catch_signal(sig, on_stop, SA_RESTART);
    if (was_changed) {
        changed = 1;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    errno = saved_errno;
}

void on_exit() {
    term_leave();
}

void catch_signals() {
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
    for (int sig : signals) {
        struct sigaction old {};
        // A signal the parent chose to ignore stays ignored.
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        if (sig == SIGTSTP)
            catch_signal(sig, on_stop, SA_RESTART);
        else
            catch_signal(sig, on_signal, SA_RESETHAND);
    }
}

// One byte from the terminal, waiting at most timeout_ms (forever when
// negative); -1 if none came.
int key_byte(int timeout_ms) {
    if (timeout_ms >= 0) {
        struct pollfd p = {STDIN_FILENO, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0)
            return -1;
    }
    unsigned char c;
    ssize_t n;
    do
        n = read(STDIN_FILENO, &c, 1);
    while (n < 0 && errno == EINTR);
    return n == 1 ? c : -1;
}

// A key may send several bytes: an escape sequence (ESC [ parameters final,
// ESC O letter, or ESC and a character for Alt) or a UTF-8 character.  They
// arrive together, so a short wait for each following byte is enough.
void read_key() {
    const int follow_ms = 50;
    int c = key_byte(-1);
    if (c == 0x1b) {
        c = key_byte(follow_ms);
        if (c == '[') {
            do
                c = key_byte(follow_ms);
            while (c >= 0x20 && c < 0x40);
        } else if (c == 'O') {
            key_byte(follow_ms);
        }
    } else if (c >= 0xc0) {
        for (int more = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1; more > 0; --more)
            key_byte(follow_ms);
    }
}

}  // namespace

sys_streams sys_open() {
    streams.in_term = isatty(STDIN_FILENO) != 0;
    streams.out_term = isatty(STDOUT_FILENO) != 0;
    if (streams.in_term) {
        catch_signals();
        std::atexit(on_exit);
    }
    return streams;
}

long sys_read(void* buf, std::size_t size) {
    ssize_t n;
    do
        n = read(STDIN_FILENO, buf, size);
    while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

bool sys_write(const void* buf, std::size_t size) {
    const char* p = static_cast<const char*>(buf);
    while (size > 0) {
        const ssize_t n = write(STDOUT_FILENO, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sys_close() {
    return close(STDOUT_FILENO) == 0 || errno == EINTR;
}

void sys_title(const char* title) {
    if (!streams.out_term)
        return;
    console_write("\x1b]0;", 4);
    console_write(title, std::strlen(title));
    console_write("\a", 1);
}

void sys_clear() {
    static const char clear[] = "\x1b[H\x1b[2J\x1b[3J";
    console_write(clear, sizeof clear - 1);
}

void sys_wait_key() {
    const bool entered = term_enter();
    console_flush();
    read_key();
    if (entered)
        term_leave();
}
