// The program in a pseudo-terminal: what only a terminal shows.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const tcflag_t line_mode = ECHO | ICANON | ISIG;

struct terminal {
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    int slave = pid == 0 ? -1 : open(ptsname(master), O_RDWR | O_NOCTTY);  // to read its modes
    std::string seen;

    terminal() {
        if (pid == 0) {
            const struct rlimit no_core = {0, 0};  // SIGQUIT would leave one
            setrlimit(RLIMIT_CORE, &no_core);
            execl(CALCSTATS, CALCSTATS, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~terminal() {
        if (pid > 0)
            kill(pid, SIGKILL);
        close(slave);
        close(master);
    }
    // Types keys, then reads until text comes and forgets what came up to its end.
    bool answer(const std::string& keys, const std::string& text, int timeout_ms = 5000) {
        char buf[4096];
        struct pollfd p = {master, POLLIN, 0};
        if (write(master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
            return false;
        while (seen.find(text) == std::string::npos) {
            const ssize_t n = poll(&p, 1, timeout_ms) > 0 ? read(master, buf, sizeof buf) : 0;
            if (n <= 0)
                return false;
            seen.append(buf, static_cast<std::size_t>(n));
        }
        seen.erase(0, seen.find(text) + text.size());
        return true;
    }
    tcflag_t modes() const {
        struct termios t {};
        tcgetattr(slave, &t);
        return t.c_lflag & line_mode;
    }
};

const char pause_prompt[] = "Appuyez sur une touche pour continuer...";

// Each signal ends a pause of its own; the dialogue up to there is the same.
TEST(Terminal, TitleClearOneKeyPerPauseAndRestoredOnSignals) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        terminal t;
        ASSERT_TRUE(t.answer("", "\x1b]0;Calculateur de statistiques\a\x1b[H\x1b[2J\x1b[3J--- --- ---"));
        ASSERT_TRUE(t.answer("0\r", pause_prompt));
        EXPECT_EQ(t.modes(), ISIG) << "no echo, no line mode, but Ctrl-C still interrupts";
        EXPECT_FALSE(t.answer("", "\n", 200)) << "the pause must wait for a key";
        // An arrow is one key: none of its bytes may reach the next answer.
        ASSERT_TRUE(t.answer("\x1b[A", "Votre classe ? : "));
        EXPECT_EQ(t.modes(), line_mode);
        ASSERT_TRUE(t.answer("2\r390\r0\r", "|> VOLEUR\t: LEVEL 75"));
        ASSERT_TRUE(t.answer("", pause_prompt));

        kill(t.pid, sig);
        int status = 0;
        waitpid(t.pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << strsignal(sig);
        EXPECT_EQ(t.modes(), line_mode) << strsignal(sig);
    }
}

}  // namespace
