// Plays one scenario: the program in a pseudo-terminal, driven a step a line.
//   terminal_test STEPS SPLIT_MS PROGRAM [ARGUMENT...]
// The program runs as "sh -m -c SCRIPT PROGRAM ARGUMENT...", where SCRIPT
// (exec "$0" "$@" by default) may turn a stream into a pipe, ignore a signal,
// preload the shim.  TEXT takes \r \n \t \a \\ and \xHH.
//   shell SCRIPT   from the next start on   within MS     the longest wait (5000)
//   start          a fresh run (the first step starts one too)
//   type TEXT      types it                 press TEXT    the same, a byte every SPLIT_MS
//   expect TEXT    reads until it comes     quiet MS      no output, still running
//   mode M         terminal modes now       becomes M     soon (M: line, key)
//   seen TEXT      anywhere in the output   unseen TEXT   nowhere in it
//   signal SIG     sends it                 hangup        closes the terminal
//   sleep MS       waits                    ends [exit N | signal SIG]
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
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string plain_script = "exec \"$0\" \"$@\"";
std::string script = plain_script;
int within = 5000, split_ms, master = -1, slave = -1;
char** program;
volatile pid_t pid = -1;
std::string seen, all;  // output not yet expected, and all of it

const char* const names[] = {"HUP",  "INT",  "QUIT", "ILL",  "TRAP", "ABRT",   "BUS",  "FPE",  "USR1", "SEGV",
                             "USR2", "PIPE", "ALRM", "TERM", "XCPU", "VTALRM", "XFSZ", "PROF", "SYS"};
const int numbers[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                       SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                       SIGXCPU, SIGVTALRM, SIGXFSZ, SIGPROF, SIGSYS};

int signal_number(const std::string& name) {
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (name == names[i])
            return numbers[i];
    return 0;
}

// How the program ended, as the scenarios say it: "exit N" or "signal SIG".
std::string ending(int status) {
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (WIFSIGNALED(status) && WTERMSIG(status) == numbers[i])
            return std::string("signal ") + names[i];
    return WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status)) : "signal ?";
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

// Ends a run: the program's whole process group, and the terminal.
void finish() {
    if (pid > 0 && kill(-pid, SIGKILL) == 0)
        waitpid(pid, nullptr, 0);
    close(master);
    close(slave);
    pid = master = slave = -1;
    seen.clear();
    all.clear();
}

// The driver stopped, by CTest's timeout say, takes the program with it.
void on_signal(int) {
    if (pid > 0)
        kill(-pid, SIGKILL);
    _exit(3);
}

// The driver's own descriptors are all closed before the fork or opened
// after it: the program gets the terminal and nothing else.
bool start() {
    finish();
    if ((pid = forkpty(&master, nullptr, nullptr, nullptr)) < 0)
        return false;
    if (pid == 0) {
        const struct rlimit no_core = {0, 0};  // SIGQUIT and its kin would leave one
        setrlimit(RLIMIT_CORE, &no_core);
        std::vector<char*> args = {const_cast<char*>("sh"), const_cast<char*>("-m"), const_cast<char*>("-c"),
                                   script.data()};
        for (char** arg = program; *arg; ++arg)
            args.push_back(*arg);
        args.push_back(nullptr);
        execv("/bin/sh", args.data());
        _exit(127);
    }
    slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);  // to read its modes
    return slave >= 0;
}

// Whether any output came within ms.
bool more(int ms) {
    char buf[4096];
    struct pollfd p = {master, POLLIN, 0};
    const ssize_t n = poll(&p, 1, ms) > 0 ? read(master, buf, sizeof buf) : 0;
    if (n > 0) {
        seen.append(buf, static_cast<std::size_t>(n));
        all.append(buf, static_cast<std::size_t>(n));
    } else if (p.revents != 0) {  // the terminal has gone: no more output, but wait as asked
        usleep(static_cast<useconds_t>(ms) * 1000);
    }
    return n > 0;
}

// The program's exit status once it has ended within the wait, or -1.
int ended() {
    int status = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(within);
    while (std::chrono::steady_clock::now() < end) {
        more(20);
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            while (more(50)) {  // a terminal hands on its last output a little later
            }
            return status;
        }
    }
    return -1;
}

std::string mode() {
    struct termios t {};
    tcgetattr(slave, &t);
    const tcflag_t local = t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), flow = t.c_iflag & IXON;
    if (local == (ECHO | ICANON | ISIG | IEXTEN) && flow)
        return "line";
    return local == ISIG && !flow ? "key" : "other";
}

// One action; false, with the reason in why, if it did not go as written.
bool act(const std::string& verb, const std::string& arg, std::string& why) {
    const std::string text = unescape(arg);
    if (verb == "type" || verb == "press") {
        const std::size_t step = verb == "press" && split_ms > 0 ? 1 : text.size();
        for (std::size_t at = 0; at < text.size(); at += step)
            if ((at > 0 && usleep(static_cast<useconds_t>(split_ms) * 1000) != 0) ||
                write(master, text.data() + at, step) != static_cast<ssize_t>(step))
                return false;
        return true;
    }
    if (verb == "sleep")
        return usleep(static_cast<useconds_t>(std::stoi(arg)) * 1000) == 0;
    if (verb == "expect") {
        while (seen.find(text) == std::string::npos)
            if (!more(within))
                return false;
        seen.erase(0, seen.find(text) + text.size());
        return true;
    }
    if (verb == "quiet")
        return !more(std::stoi(arg)) && waitpid(pid, nullptr, WNOHANG) == 0;
    if (verb == "mode" || verb == "becomes") {
        for (int waited = 0; verb == "becomes" && mode() != arg && waited < within; waited += 10)
            usleep(10000);
        why = "terminal in " + mode() + " mode";
        return mode() == arg;
    }
    if (verb == "seen" || verb == "unseen")
        return (all.find(text) != std::string::npos) == (verb == "seen");
    if (verb == "signal")
        return kill(pid, signal_number(arg)) == 0;
    if (verb == "hangup")
        return close(std::exchange(master, -1)) == 0;
    if (verb == "ends") {
        const int status = ended();
        why = status == -1 ? "still running" : ending(status);
        return status != -1 && (arg.empty() || ending(status) == arg);
    }
    why = "unknown step";
    return false;
}

// The scenario's lines, numbered, with each table written out in full.
std::vector<std::pair<int, std::string>> read_steps(const char* path) {
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
    return steps;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    split_ms = std::stoi(argv[2]);
    program = argv + 3;
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGALRM})
        signal(sig, on_signal);
    alarm(240);  // a scenario that hangs ends well before CTest's timeout
    const auto steps = read_steps(argv[1]);
    for (const auto& [number, line] : steps) {
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space),
                          arg = space == std::string::npos ? "" : line.substr(space + 1);
        if (verb == "within")
            within = std::stoi(arg);
        else if (verb == "shell")
            script = arg.empty() ? plain_script : arg;
        if (verb == "within" || verb == "shell" || line.empty() || line[0] == '#')
            continue;
        std::string why;
        if ((verb == "start" || slave == -1) && !start())
            why = std::string("cannot start: ") + std::strerror(errno);
        if (!why.empty() || (verb != "start" && !act(verb, arg, why))) {
            std::cerr << argv[1] << ":" << number << ": " << line << ": failed" << (why.empty() ? "" : ", ")
                      << why << "\noutput not yet expected: " << seen << "\n";
            finish();
            return 1;
        }
    }
    finish();
    return steps.empty() ? 1 : 0;
}
