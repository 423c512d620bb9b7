// Plays one scenario: the program in a pseudo-terminal, driven a step a line.
//   terminal_test STEPS SPLIT_MS PROGRAM [ARGUMENT...]
// The program runs as "sh -mc SCRIPT PROGRAM ARGUMENT...", where SCRIPT
// (exec "$0" "$@" by default) may turn a stream into a pipe, ignore a signal,
// preload the shim.  TEXT takes \r \n \t \a \\ and \xHH.
//   shell SCRIPT   from the next start on   within MS     the longest wait (5000)
//   start          a fresh run (the first step starts one too)
//   type TEXT      types it                 press TEXT    the same, a byte every SPLIT_MS
//   expect TEXT    output to come, after what the last expect found
//   seen TEXT      anywhere in the output   unseen TEXT   nowhere in it
//   quiet MS       no output for MS, and still running
//   mode M         terminal modes, now or soon (M: line, key)
//   signal SIG     sends it                 hangup        closes the terminal
//   ends [exit N | signal SIG]
//   each W...      the lines up to "end", once for each word, {} standing for it
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#if __has_include(<pty.h>)  // glibc, musl
#include <pty.h>
#elif __has_include(<util.h>)  // macOS, NetBSD, OpenBSD
#include <util.h>
#else  // FreeBSD
#include <libutil.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const plain_script = "exec \"$0\" \"$@\"";
std::string script = plain_script;
int within = 5000, split_ms, master = -1, slave = -1;
char** args;  // the driver's own, the first three made over to sh's
volatile pid_t pid = -1;
std::string all;        // the output so far
std::size_t taken = 0;  // where the last expected text ended in it

// How the program ended, as the scenarios say it; the shell names signals.
std::string ending(int status) {
    if (WIFEXITED(status))
        return "exit " + std::to_string(WEXITSTATUS(status));
    char name[16] = "?";
    if (FILE* kill_l = popen(("kill -l " + std::to_string(WTERMSIG(status))).c_str(), "r")) {
        if (std::fscanf(kill_l, "%15s", name) != 1)
            name[0] = '?';
        pclose(kill_l);
    }
    return std::string("signal ") + name;
}

std::string unescape(const std::string& s) {
    const char plain[] = "rnta";
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
        } else if (s[++i] == 'x') {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            const char* at = std::strchr(plain, s[i]);
            out += at ? "\r\n\t\a"[at - plain] : s[i];
        }
    }
    return out;
}

// Kills the run's process group and the terminal's foreground one, which
// is the program's own job under a job-control shell.  Async-signal-safe.
void kill_run() {
    const pid_t job = master >= 0 ? tcgetpgrp(master) : -1;
    for (pid_t group : {static_cast<pid_t>(pid), job})
        if (group > 0)
            kill(-group, SIGKILL);
}

// Ends a run, and closes the terminal.
void finish() {
    kill_run();
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    close(master);
    close(slave);
    pid = master = slave = -1;
    all.clear();
    taken = 0;
}

// The driver stopped, by CTest's timeout say, takes the program with it.
void on_signal(int) {
    kill_run();
    _exit(3);
}

// The driver's descriptors are all closed before the fork or opened after
// it: the program gets the terminal and nothing else.
bool start() {
    finish();
    if ((pid = forkpty(&master, nullptr, nullptr, nullptr)) == 0) {
        const struct rlimit no_core = {0, 0};  // SIGQUIT and its kin would leave one
        setrlimit(RLIMIT_CORE, &no_core);
        args[2] = script.data();
        execv("/bin/sh", args);
        _exit(127);
    }
    slave = pid < 0 ? -1 : open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);  // to read its modes
    return slave >= 0;
}

// Reads the output until done() holds, for ms at most; false if it still
// does not.
template <typename Done>
bool until(Done done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (char buf[4096]; !done();) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        struct pollfd p = {master, POLLIN, 0};
        const ssize_t n = poll(&p, 1, 10) > 0 ? read(master, buf, sizeof buf) : 0;
        all.append(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n <= 0 && p.revents != 0)  // the terminal has gone: nothing to wait for
            usleep(10000);
    }
    return true;
}

std::string mode() {
    struct termios t {};
    tcgetattr(slave, &t);
    const tcflag_t local = t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), flow = t.c_iflag & IXON;
    return local == (ECHO | ICANON | ISIG | IEXTEN) && flow ? "line"
           : local == ISIG && !flow                         ? "key"
                                                            : "other";
}

// One action; false, with the reason in why, if it did not go as written.
bool act(const std::string& verb, const std::string& arg, std::string& why) {
    const std::string text = unescape(arg);
    const std::size_t before = all.size(), step = verb == "press" && split_ms > 0 ? 1 : text.size();
    int status = 0;
    if (verb == "type" || verb == "press") {
        for (std::size_t at = 0; at < text.size(); at += step)
            if ((at > 0 && usleep(static_cast<useconds_t>(split_ms) * 1000) != 0) ||
                write(master, text.data() + at, step) != static_cast<ssize_t>(step))
                return false;
        return true;
    }
    if (verb == "expect") {
        if (!until([&] { return all.find(text, taken) != std::string::npos; }, within))
            return false;
        taken = all.find(text, taken) + text.size();
        return true;
    }
    if (verb == "mode") {
        const bool now = until([&] { return mode() == arg; }, within);
        why = "terminal in " + mode() + " mode";
        return now;
    }
    if (verb == "ends") {
        why = "still running";
        if (!until([&] { return waitpid(pid, &status, WNOHANG) == pid; }, within))
            return false;
        pid = -1;
        until([] { return false; }, 100);  // a terminal hands on the last output a little later
        why = ending(status);
        return arg.empty() || why == arg;
    }
    return verb == "quiet" ? !until([&] { return all.size() > before; }, std::stoi(arg)) &&
                                 waitpid(pid, nullptr, WNOHANG) == 0
           : verb == "seen"   ? all.find(text) != std::string::npos
           : verb == "unseen" ? all.find(text) == std::string::npos
           : verb == "signal" ? std::system(("kill -s " + arg + " " + std::to_string(pid)).c_str()) == 0
                              : verb == "hangup" && close(std::exchange(master, -1)) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const char* const path = argv[1];
    split_ms = std::stoi(argv[2]);
    args = argv;
    args[0] = const_cast<char*>("sh");
    args[1] = const_cast<char*>("-mc");
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGALRM})
        signal(sig, on_signal);
    alarm(240);  // a scenario that hangs ends well before CTest's timeout

    // The lines, numbered, with each table written out in full; the file is
    // closed before the first run starts.
    std::ifstream file(path);
    std::vector<std::pair<int, std::string>> steps, body;
    std::vector<std::string> words;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.rfind("each ", 0) == 0) {
            std::istringstream list(line.substr(5));
            words.assign(std::istream_iterator<std::string>(list), {});
        } else if (line == "end") {
            for (const std::string& word : words)
                for (auto [at, text] : body) {
                    for (std::size_t i; (i = text.find("{}")) != std::string::npos;)
                        text.replace(i, 2, word);
                    steps.emplace_back(at, text);
                }
            words.clear();
            body.clear();
        } else {
            (words.empty() ? steps : body).emplace_back(number, line);
        }
    }
    file.close();

    for (const auto& [number, step] : steps) {
        const std::size_t space = step.find(' ');
        const std::string verb = step.substr(0, space),
                          arg = space == std::string::npos ? "" : step.substr(space + 1);
        if (verb == "within")
            within = std::stoi(arg);
        if (verb == "shell")
            script = arg.empty() ? plain_script : arg;
        std::string why;
        if (verb == "within" || verb == "shell" || step.empty() || step[0] == '#')
            continue;
        if ((verb == "start" || slave == -1) && !start())
            why = std::string("cannot start: ") + std::strerror(errno);
        if (!why.empty() || (verb != "start" && !act(verb, arg, why))) {
            std::cerr << path << ":" << number << ": " << step << ": failed" << (why.empty() ? "" : ", ")
                      << why << "\noutput not yet expected: " << all.substr(taken) << "\n";
            finish();
            return 1;
        }
    }
    finish();
    return steps.empty() ? 1 : 0;
}
