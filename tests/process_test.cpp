// The program in a pseudo-terminal: what only a terminal shows, and every
// way in and out of the pause.
#include <fcntl.h>
#include <poll.h>
#if __has_include(<pty.h>)  // glibc, musl
#include <pty.h>
#elif __has_include(<util.h>)  // macOS, NetBSD, OpenBSD
#include <util.h>
#else  // FreeBSD
#include <libutil.h>
#endif
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>

namespace {

const char prompt[] = "Votre classe ? : ";
const char pause_prompt[] = "Appuyez sur une touche pour continuer...";
const char title[] = "\x1b]0;Calculateur de statistiques\a";
const char clear[] = "\x1b[H\x1b[2J\x1b[3J";

enum class in { term, pipe, closed, dir };

struct options {
    in input = in::term;
    bool out_term = true;
    int ignored = 0;              // a signal the parent ignores
    const char* shim = nullptr;   // a way for the system to misbehave
    const char* shell = nullptr;  // a job-control shell script around the program
};

struct program {
    int master = -1, slave = -1, to_in = -1, from_out = -1;
    pid_t pid = -1;
    int status = -1;
    std::string seen, all;  // output not yet expected, and all of it

    explicit program(const options& o = {}) {
        int in_pipe[2], out_pipe[2];
        if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0)
            return;
        pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            const int dir = open("/", O_RDONLY);
            if (o.input == in::pipe || o.input == in::dir)
                dup2(o.input == in::pipe ? in_pipe[0] : dir, 0);
            if (o.input == in::closed)
                close(0);
            if (!o.out_term)
                dup2(out_pipe[1], 1);
            for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], dir})
                close(fd);
            const struct rlimit no_core = {0, 0};  // SIGQUIT would leave one
            setrlimit(RLIMIT_CORE, &no_core);
            if (o.ignored)
                signal(o.ignored, SIG_IGN);
            if (o.shim) {
                setenv("LD_PRELOAD", SHIM, 1);
                setenv("SHIM", o.shim, 1);
            }
            if (o.shell)
                execl("/bin/sh", "sh", "-m", "-c", o.shell, CALCSTATS, static_cast<char*>(nullptr));
            else
                execl(CALCSTATS, CALCSTATS, static_cast<char*>(nullptr));
            _exit(127);
        }
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);  // to read its modes
        to_in = o.input == in::term ? master : in_pipe[1];
        from_out = o.out_term ? master : out_pipe[0];
        close(in_pipe[0]);
        close(out_pipe[1]);
        if (o.input != in::pipe)
            close(in_pipe[1]);
    }
    ~program() {
        if (status == -1) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (int fd : {master, slave, to_in, from_out})
            close(fd);
    }
    void type(const std::string& keys) {
        ASSERT_EQ(write(to_in, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Whether any output came within timeout_ms.
    bool more(int timeout_ms) {
        char buf[4096];
        struct pollfd p = {from_out, POLLIN, 0};
        const ssize_t n = poll(&p, 1, timeout_ms) > 0 ? read(from_out, buf, sizeof buf) : 0;
        if (n > 0) {
            seen.append(buf, static_cast<std::size_t>(n));
            all.append(buf, static_cast<std::size_t>(n));
        }
        return n > 0;
    }
    // Reads until text comes and forgets what came up to its end.
    bool expect(const std::string& text, int timeout_ms = 5000) {
        while (seen.find(text) == std::string::npos)
            if (!more(timeout_ms))
                return false;
        seen.erase(0, seen.find(text) + text.size());
        return true;
    }
    // Reads until the program ends; false if it has not within timeout_ms.
    bool ended(int timeout_ms = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < end) {
            more(20);
            if (waitpid(pid, &status, WNOHANG) == pid) {
                while (more(0)) {
                }
                return true;
            }
        }
        return false;
    }
    std::string mode() const {
        struct termios t {};
        tcgetattr(slave, &t);
        const tcflag_t local = t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), flow = t.c_iflag & IXON;
        if (local == (ECHO | ICANON | ISIG | IEXTEN) && flow)
            return "line";
        return local == ISIG && !flow ? "key" : "other";
    }
};

// Each press ends a pause, and the answers typed next give the sheet they
// ask for: no byte of the key, nor anything typed with it, is left over.
TEST(Terminal, EachKeyIsOnePressAndLeavesNothingBehind) {
    const struct {
        const char* name;
        std::string keys, later;  // later: 100 ms after keys, as over ssh
        const char* shim;
    } presses[] = {
        {"letter", "x", "", nullptr},
        {"Enter", "\r", "", nullptr},
        {"Ctrl-S", "\x13", "", nullptr},
        {"Alt-x", "\x1bx", "", nullptr},
        {"Escape", "\x1b", "", nullptr},
        {"Escape where poll answers POLLNVAL", "\x1b", "", "poll-nval"},
        {"up", "\x1b[A", "", nullptr},
        {"up in two pieces", "\x1b", "[A", nullptr},
        {"Ctrl-up", "\x1b[1;5A", "", nullptr},
        {"F1", "\x1bOP", "", nullptr},
        {"F1 of the Linux console", "\x1b[[A", "", nullptr},
        {"F5", "\x1b[15~", "", nullptr},
        {"e acute", "\xc3\xa9", "", nullptr},
        {"euro sign", "\xe2\x82\xac", "", nullptr},
        {"emoji", "\xf0\x9f\x98\x80", "", nullptr},
        {"pasted text", "1 130 130\r3\r", "", nullptr},
    };
    for (const auto& press : presses) {
        options o;
        o.shim = press.shim;
        program p(o);
        ASSERT_TRUE(p.expect(prompt));
        p.type("0\r");
        ASSERT_TRUE(p.expect(pause_prompt));
        EXPECT_EQ(p.mode(), "key") << "the key wait must be ready once its prompt shows";
        p.type(press.keys);
        if (!press.later.empty()) {
            usleep(100000);
            p.type(press.later);
        }
        if (!p.expect(prompt)) {
            ADD_FAILURE() << press.name << " did not end the pause";
            continue;
        }
        EXPECT_EQ(p.mode(), "line") << press.name;
        p.type("2\r390\r0\r");
        EXPECT_TRUE(p.expect("|> VOLEUR\t: LEVEL 75", 1000)) << press.name << " left something behind";
    }
}

// Title whenever the output is a terminal; a clear, before the banner and
// before the summary, only when someone can also be waited for at the pause.
TEST(Terminal, EffectsFollowWhatTheStreamsAre) {
    const struct {
        in input;
        bool out_term, title, clear;
    } cases[] = {
        {in::term, true, true, true},
        {in::term, false, false, false},
        {in::pipe, true, true, false},
        {in::pipe, false, false, false},
    };
    for (const auto& c : cases) {
        options o;
        o.input = c.input;
        o.out_term = c.out_term;
        program p(o);
        const bool waits = c.input == in::term;
        p.type(waits ? "0\r" : "0\n1\n0\n0\n");
        if (!waits)
            close(std::exchange(p.to_in, -1));
        ASSERT_TRUE(p.expect(pause_prompt));
        if (waits) {
            EXPECT_FALSE(p.more(300)) << "the pause must wait for a key";
            p.type("x");
            ASSERT_TRUE(p.expect(prompt));
            p.type("1\r0\r0\r");
            ASSERT_TRUE(p.expect(pause_prompt));
            p.type("x");
            ASSERT_TRUE(p.expect(prompt));
            p.type("\x04");
        }
        ASSERT_TRUE(p.ended());
        EXPECT_EQ(p.all.find(title) != std::string::npos, c.title) << p.all;
        for (const char* next : {"--- --- --- --- --- --- -", "---- ---- ----"})
            EXPECT_EQ(p.all.find(clear + std::string(next)) != std::string::npos, c.clear) << next;
        if (!c.out_term) {
            EXPECT_EQ(p.all.find('\x1b'), std::string::npos) << "an escape sequence into a pipe";
        }
    }
}

// Every way out of the pause gives the terminal back; a signal ends the
// program as that signal, unless the parent had it ignored.
TEST(Terminal, EveryWayOutGivesTheTerminalBack) {
    enum how { send, close_output, hang_up };
    const struct {
        const char* name;
        how way;
        int sig;       // sent, or expected to end the program
        int ignored;   // by the parent
        int status;    // expected exit status, when no signal ends it
        int then = 0;  // a second signal, sent 50 ms after the first
        const char* shim = nullptr;
    } cases[] = {
        {"SIGINT", send, SIGINT, 0, 0},
        {"SIGTERM", send, SIGTERM, 0, 0},
        {"SIGHUP", send, SIGHUP, 0, 0},
        {"SIGQUIT", send, SIGQUIT, 0, 0},
        {"SIGINT while SIGTERM restores", send, SIGTERM, 0, 0, SIGINT, "slow-tcsetattr"},
        {"reader gone", close_output, SIGPIPE, 0, 0},
        {"reader gone, SIGPIPE ignored", close_output, 0, SIGPIPE, 1},
        {"ignored SIGINT", send, SIGINT, SIGINT, -1},
        {"hang-up, SIGHUP ignored", hang_up, 0, SIGHUP, 1},
    };
    for (const auto& c : cases) {
        options o;
        o.ignored = c.ignored;
        o.out_term = c.way != close_output;
        o.shim = c.shim;
        program p(o);
        ASSERT_TRUE(p.expect(prompt)) << c.name;
        if (c.way == close_output)
            close(std::exchange(p.from_out, -1));
        p.type("0\r");
        if (c.way != close_output) {
            ASSERT_TRUE(p.expect(pause_prompt)) << c.name;
        }
        if (c.way == send)
            kill(p.pid, c.sig);
        if (c.then) {
            usleep(50000);
            kill(p.pid, c.then);
        }
        if (c.way == hang_up) {
            close(p.master);
            p.master = p.to_in = p.from_out = -1;
        }
        if (c.status == -1) {  // still waiting for its key
            EXPECT_FALSE(p.ended(300)) << c.name;
            EXPECT_EQ(p.mode(), "key") << c.name;
            p.type("x");
            EXPECT_TRUE(p.expect(prompt)) << c.name;
            continue;
        }
        ASSERT_TRUE(p.ended()) << c.name;
        const int expected = c.sig ? c.sig : 128 + c.status;  // as a shell shows it
        EXPECT_EQ(WIFSIGNALED(p.status) ? WTERMSIG(p.status) : 128 + WEXITSTATUS(p.status), expected)
            << c.name;
        EXPECT_TRUE(c.way == hang_up || p.mode() == "line") << c.name;
    }
}

// Under a job-control shell: stopped at the pause, the program gives the
// terminal back; brought back with fg, it waits for its key again.
TEST(Terminal, CtrlZAtThePause) {
    options o;
    o.shell = "\"$0\"; echo stopped; read x; fg >/dev/null";
    program p(o);
    ASSERT_TRUE(p.expect(prompt));
    p.type("0\r");
    ASSERT_TRUE(p.expect(pause_prompt));
    p.type("\x1a");
    ASSERT_TRUE(p.expect("stopped\r\n"));
    EXPECT_EQ(p.mode(), "line");
    p.type("\r");
    ASSERT_TRUE(p.expect("\r\n"));  // the shell's read echoes it
    for (int waited = 0; p.mode() != "key" && waited < 2000; waited += 10)
        usleep(10000);
    EXPECT_EQ(p.mode(), "key");
    EXPECT_FALSE(p.more(300)) << "the pause must still wait for a key";
    p.type("x");
    ASSERT_TRUE(p.expect(prompt));
    p.type("\x04");
    EXPECT_TRUE(p.ended());
}

// Ctrl-D after an answer with no number ends the input: after the pause of
// that answer the program ends, and reads nothing more from the terminal.
TEST(Terminal, EndOfInputIsFinal) {
    program p;
    ASSERT_TRUE(p.expect(prompt));
    p.type("abc\x04\x04");
    ASSERT_TRUE(p.expect(pause_prompt));
    p.type("x");
    ASSERT_TRUE(p.ended(2000)) << "still reading after the end of its input";
    EXPECT_TRUE(WIFEXITED(p.status) && WEXITSTATUS(p.status) == 0) << p.status;
}

// Standard input that cannot be read is an error, not an end of input.
TEST(Terminal, UnreadableInputIsReported) {
    for (in input : {in::closed, in::dir}) {
        options o;
        o.input = input;
        program p(o);
        ASSERT_TRUE(p.ended());
        EXPECT_TRUE(WIFEXITED(p.status) && WEXITSTATUS(p.status) == 1) << p.status;
        EXPECT_NE(p.all.find("calcstats: erreur de lecture sur l'entree standard: "), std::string::npos)
            << p.all;
    }
}

}  // namespace
