// The built program as a process: in a pseudo-terminal, under signals, with
// output that cannot be written and with input that makes no sense.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

const char pause_prompt[] = "Appuyez sur une touche pour continuer...";

struct terminal {
    pid_t pid = -1;
    int master = -1;
    int slave = -1;  // kept open to read the terminal's modes
    std::string seen;

    terminal() {
        pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            const struct rlimit no_core = {0, 0};
            setrlimit(RLIMIT_CORE, &no_core);
            execl(CALCSTATS, CALCSTATS, static_cast<char*>(nullptr));
            _exit(127);
        }
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    }
    ~terminal() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(slave);
        close(master);
    }

    // Reads until text has been seen since the last call, or until timeout.
    bool wait_for(const std::string& text, int timeout_ms = 5000) {
        for (;;) {
            const std::size_t at = seen.find(text);
            if (at != std::string::npos) {
                seen.erase(0, at + text.size());
                return true;
            }
            if (!more(timeout_ms))
                return false;
        }
    }
    // True if anything at all arrives within timeout_ms.
    bool more(int timeout_ms) {
        struct pollfd p = {master, POLLIN, 0};
        char buf[4096];
        if (poll(&p, 1, timeout_ms) <= 0)
            return false;
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            return false;
        seen.append(buf, static_cast<std::size_t>(n));
        return true;
    }
    void type(const std::string& keys) {
        ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    tcflag_t lflag() {
        struct termios t {};
        tcgetattr(slave, &t);
        return t.c_lflag;
    }
    int died_of() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
};

TEST(Terminal, TitleClearAndOneKeyPerPause) {
    terminal t;
    ASSERT_TRUE(
        t.wait_for("\x1b]0;Calculateur de statistiques\a\x1b[H\x1b[2J\x1b[3J--- --- --- --- --- --- -"));
    ASSERT_TRUE(t.wait_for("Votre classe ? : "));
    EXPECT_NE(t.lflag() & ECHO, 0u);

    t.type("0\r");
    ASSERT_TRUE(t.wait_for(pause_prompt));
    EXPECT_EQ(t.lflag() & (ECHO | ICANON), 0u) << "no echo, no line mode while waiting";
    EXPECT_FALSE(t.more(300)) << "the pause must wait for a key";

    // An arrow key is one press: none of its bytes may reach the next answer.
    t.type("\x1b[A");
    ASSERT_TRUE(t.wait_for("\r\n\x1b]0;Calculateur de statistiques\a"));
    ASSERT_TRUE(t.wait_for("Votre classe ? : "));
    EXPECT_NE(t.lflag() & (ECHO | ICANON), 0u);
    t.type("2\r390\r0\r");
    ASSERT_TRUE(t.wait_for("|> VOLEUR\t: LEVEL 75"));
    ASSERT_TRUE(t.wait_for(pause_prompt));
    t.type("x");
    ASSERT_TRUE(t.wait_for("Votre classe ? : "));
}

TEST(Terminal, RestoredWhenASignalEndsThePause) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(strsignal(sig));
        terminal t;
        ASSERT_TRUE(t.wait_for("Votre classe ? : "));
        const tcflag_t before = t.lflag();
        t.type("9\r");
        ASSERT_TRUE(t.wait_for(pause_prompt));
        if (sig == SIGINT)
            t.type("\x03");  // Ctrl-C itself, so the terminal must still make signals
        else
            kill(t.pid, sig);
        EXPECT_EQ(t.died_of(), sig);
        EXPECT_EQ(t.lflag(), before);
    }
}

struct outcome {
    int status;
    std::string out, err;
};

// Runs the program with input on a pipe and its output read back, or closed.
outcome run(const std::string& input, bool close_output = false) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        std::abort();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        if (close_output)
            close(1);
        else
            dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        execl(CALCSTATS, CALCSTATS, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The input is small enough for the pipe; the program's output is read
    // while it runs so that it never blocks.
    if (write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        std::abort();
    close(in[1]);
    outcome o{};
    struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&o.out, &o.err};
    for (int open_fds = 2; open_fds > 0;) {
        poll(fds, 2, -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[65536];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_fds;
            } else {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return o;
}

TEST(Output, ClosedOutputIsReported) {
    const outcome o = run("1\n130\n130\n", true);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("calcstats: erreur d'ecriture sur la sortie standard: ", 0), 0u) << o.err;
}

TEST(Input, GarbageNeverBreaksTheDialogue) {
    std::mt19937 random(2017);
    const std::string alphabet = "0123456789+- \t\r\n\n\nx\x1b\xff";
    for (int round = 0; round < 40; ++round) {
        std::string input(random() % 4000, ' ');
        for (char& c : input)
            c = round % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        const outcome o = run(input);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, "");
        ASSERT_GE(o.out.size(), 4u);
        EXPECT_EQ(o.out.substr(o.out.size() - 4), " : \n") << "input ends at a prompt";
        EXPECT_EQ(o.out.find('\x1b'), std::string::npos) << "no escape sequences into a pipe";
    }
}

}  // namespace
