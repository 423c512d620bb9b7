// The console on POSIX terminals and pipes.
//
// Sequences, written into the output stream only when it is a terminal that
// takes them (TERM set, and not to "dumb"):
//   ESC [ 22 ; 0 t         saves the terminal's own title on its stack
//                          (xterm and its kin; others ignore it), once
//   ESC ] 0 ; TITLE BEL    sets the window (and icon) title
//   ESC [ H                moves the cursor to the top left
//   ESC [ 2 J              erases the screen
//   ESC [ 3 J              erases the scrollback, so the old screen is gone too
//   ESC [ 23 ; 0 t         gives the saved title back, on the way out
//
// Calls on the terminal of standard input, made only while the pause waits:
//   tcdrain      waits until the sheet and the prompt have been sent
//   tcgetattr    takes the terminal's settings as they are, at the pause and
//                again after a stop, so that stty changes made meanwhile stay
//   tcsetattr    (TCSAFLUSH) turns off echo, line mode, flow control and the
//                extended keys (Ctrl-V, Ctrl-O), and drops what was typed
//                before the pause showed; Ctrl-C still interrupts
//   select       waits for the next key as long as the pause's rule says, and
//                on a descriptor that another program left non-blocking (not
//                poll, which macOS does not support on a terminal)
//   clock_gettime (CLOCK_MONOTONIC) stamps each key
//   tcsetattr    (TCSAFLUSH) gives the terminal back, and drops what came in
//                with the last key or after it
//
// The terminal and its title are given back after the key, at exit, and on
// every signal that would end the program, which is then raised again.  While
// the program is stopped, the terminal is as the shell had it; SIGCONT takes
// it again if the pause still waits, keeping what stty changed meanwhile.

#include <signal.h>
#include <sys/select.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "console_sys.hpp"

namespace {

// The signals whose default action ends the process.
const int ending[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef __linux__
    SIGSTKFLT, SIGPWR,
#endif
};

sys_streams streams;
bool escapes;  // standard output is a terminal that takes escape sequences
sigset_t caught;
struct termios saved;           // the settings to give back
volatile sig_atomic_t waiting;  // the pause waits for its key
volatile sig_atomic_t changed;  // the terminal is in key mode
volatile sig_atomic_t titled;   // the terminal's own title is on its stack

// Both run with the caught signals blocked, so that no handler comes between
// a change and its flag; both are async-signal-safe and idempotent: give_back
// gives back only what was taken, take saves only modes not its own.  when
// says what becomes of pending input; title gives the title back too.
void give_back(int when, bool title) {
    sigset_t old;
    sigprocmask(SIG_BLOCK, &caught, &old);
    if (changed) {
        tcsetattr(STDIN_FILENO, when, &saved);
        changed = 0;
    }
    if (title && titled) {
        titled = 0;
        const ssize_t n = write(STDOUT_FILENO, "\x1b[23;0t", 7);
        static_cast<void>(n);  // nothing better to do on the way out
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

// The pause's own modes: no echo, line mode, flow control or extended keys.
const tcflag_t key_lflags = ICANON | ECHO | IEXTEN;
const tcflag_t key_iflags = IXON;

void take(int when) {
    sigset_t old;
    sigprocmask(SIG_BLOCK, &caught, &old);
    if (!changed && tcgetattr(STDIN_FILENO, &saved) == 0) {
        struct termios key_mode = saved;
        key_mode.c_lflag &= ~key_lflags;
        key_mode.c_iflag &= ~key_iflags;
        key_mode.c_cc[VMIN] = 1;
        key_mode.c_cc[VTIME] = 0;
        if (tcsetattr(STDIN_FILENO, when, &key_mode) == 0)
            changed = 1;
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

// Every handler runs with all the caught signals blocked.
void set_action(int sig, void (*handler)(int), int flags) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sa.sa_mask = caught;
    sa.sa_flags = flags;
    sigaction(sig, &sa, nullptr);
}

// Raised here, the signal waits for the handler's return, then ends us.
void on_signal(int sig) {
    give_back(TCSANOW, true);
    set_action(sig, SIG_DFL, 0);
    raise(sig);
}

// Stops the process with the terminal as the shell gave it; on_continue
// takes it again.  The stop is raised while blocked, so that a second Ctrl-Z
// during the handler merges with it instead of stopping the process again.
void on_stop(int sig) {
    const int saved_errno = errno;
    give_back(TCSANOW, false);
    set_action(sig, SIG_DFL, 0);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    raise(sig);
    // cppcheck-suppress unreachableCode
    sigprocmask(SIG_UNBLOCK, &set, nullptr);  // stopped here until SIGCONT
    sigprocmask(SIG_BLOCK, &set, nullptr);
    set_action(sig, on_stop, SA_RESTART);
    errno = saved_errno;
}

// After any stop, even one no handler saw (SIGSTOP), what changed meanwhile
// stays: the shell may have put its own modes back (bash does), the player
// may have used stty.  If the pause's own modes are still on, nobody gave
// the terminal back (dash does not): the settings to give back stay, with
// whatever else changed.  Else the terminal as it is now is to give back.
void on_continue(int) {
    const int saved_errno = errno;
    struct termios now;
    if (waiting && changed && tcgetattr(STDIN_FILENO, &now) == 0) {
        if ((now.c_lflag & key_lflags) == 0 && (now.c_iflag & key_iflags) == 0 && now.c_cc[VMIN] == 1 &&
            now.c_cc[VTIME] == 0) {
            now.c_lflag = (now.c_lflag & ~key_lflags) | (saved.c_lflag & key_lflags);
            now.c_iflag = (now.c_iflag & ~key_iflags) | (saved.c_iflag & key_iflags);
            now.c_cc[VMIN] = saved.c_cc[VMIN];
            now.c_cc[VTIME] = saved.c_cc[VTIME];
            saved = now;
        } else {
            changed = 0;
        }
    }
    if (waiting)
        take(TCSANOW);
    errno = saved_errno;
}

void catch_signals() {
    sigemptyset(&caught);
    sigaddset(&caught, SIGTSTP);
    sigaddset(&caught, SIGCONT);
    for (int sig : ending)
        sigaddset(&caught, sig);
#ifdef SIGRTMIN
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        sigaddset(&caught, sig);
#endif
    for (int sig = 1; sig < NSIG; ++sig) {
        struct sigaction old {};
        // A signal the parent chose to ignore stays ignored.
        if (sigismember(&caught, sig) != 1 || sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
            continue;
        const bool job = sig == SIGTSTP || sig == SIGCONT;  // the program goes on after these
        set_action(sig, sig == SIGTSTP ? on_stop : job ? on_continue : on_signal, job ? SA_RESTART : 0);
    }
}

// Waits until fd can be read, or written if out, ms at most (for ever when
// negative): above 0 when it can, 0 when the time is up, below 0 on a signal.
int ready(int fd, bool out, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(fd, &set);
    struct timeval limit = {ms / 1000, static_cast<suseconds_t>(ms % 1000) * 1000};
    return select(fd + 1, out ? nullptr : &set, out ? &set : nullptr, nullptr, ms < 0 ? nullptr : &limit);
}

// Whether a failed read or write is to be made again: after a signal, and
// once a descriptor that another program left non-blocking (and shares with
// us, so the flag stays) is ready.
bool retry(int fd, bool out) {
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        ready(fd, out, -1);
    return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
}

}  // namespace

sys_streams sys_open() {
    streams = {isatty(STDIN_FILENO) != 0, isatty(STDOUT_FILENO) != 0, false, false};
    const char* term = std::getenv("TERM");
    escapes = streams.out_term && term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
    if (streams.in_term || streams.out_term) {
        catch_signals();
        std::atexit([] { give_back(TCSANOW, true); });
    }
    return streams;
}

long sys_read(void* buf, std::size_t size) {
    ssize_t n;
    do
        n = read(STDIN_FILENO, buf, size);
    while (n < 0 && retry(STDIN_FILENO, false));
    return static_cast<long>(n);
}

bool sys_write(const void* buf, std::size_t size) {
    for (const char* p = static_cast<const char*>(buf); size > 0;) {
        const ssize_t n = write(STDOUT_FILENO, p, size);
        if (n < 0 && !retry(STDOUT_FILENO, true))
            return false;
        p += n > 0 ? n : 0;
        size -= n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return true;
}

bool sys_close() {
    give_back(TCSANOW, true);
    return close(STDOUT_FILENO) == 0 || errno == EINTR;
}

// The first title saves the terminal's own before it; later ones skip that.
std::string_view sys_title(const char* title) {
    static char seq[140] = "\x1b[22;0t\x1b]0;";
    const std::size_t saving = 7, head = 11;
    if (!escapes)
        return {};
    const std::size_t size = strnlen(title, sizeof seq - head - 1);
    std::memcpy(seq + head, title, size);
    seq[head + size] = '\a';
    const std::size_t from = titled ? saving : 0;
    titled = 1;
    return {seq + from, head + size + 1 - from};
}

std::string_view sys_clear() {
    return escapes ? terminal_clear : std::string_view();
}

long long sys_now() {
    struct timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The pause counts from when the sheet and the prompt have reached the
// terminal, later over a slow line.  Enter comes as \n: ICRNL stays on.
pause_key sys_keys_begin() {
    if (streams.out_term)
        while (tcdrain(STDOUT_FILENO) != 0 && errno == EINTR) {
        }
    waiting = 1;
    take(TCSAFLUSH);
    return {{'\n'}, 1};
}

// A key is the bytes that one read takes: a letter, an escape sequence, a
// character, a click's report, 16 at most.  A terminal that reports the focus
// sends ESC [ I and ESC [ O as its window gains and loses it: no key.
int sys_key_event(pause_event& e, int ms) {
    if (ready(STDIN_FILENO, false, ms) <= 0)
        return 0;  // the time is up, or a signal came: the rule is asked again
    const long n = sys_read(e.key.bytes, sizeof e.key.bytes);
    if (n <= 0)
        return -1;
    e.ms = sys_now();
    e.kind = pause_kind::key;
    e.key.size = static_cast<std::size_t>(n);
    const std::string_view key(reinterpret_cast<const char*>(e.key.bytes), e.key.size);
    return key == "\x1b[I" || key == "\x1b[O" ? 0 : 1;
}

void sys_keys_end() {
    waiting = 0;
    give_back(TCSAFLUSH, false);
}
