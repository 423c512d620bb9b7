// Plays one scenario: the program in a pseudo-terminal (or with a stream
// turned into a pipe), driven a step a line.
//   terminal_test STEPS SPLIT_MS PROGRAM [ARGUMENT...]
// Options hold from the next start on; TEXT takes \r \n \t \a \\ and \xHH.
//   stdin pipe|closed|dir   stdout pipe   ignore SIG   shim MODE   shell SCRIPT
//   within MS      the longest wait for output, a mode or the end (5000)
//   start          a fresh run; the first action starts one too
//   type TEXT      types it                 press TEXT    the same, but a
//                                           byte every SPLIT_MS if not 0
//   expect TEXT    reads until it comes     quiet MS      no output, still running
//   mode M         terminal modes now       becomes M     soon (M: line, key)
//   seen TEXT      somewhere in the output  unseen TEXT   nowhere in it
//   signal SIG     sends it                 close stdin|stdout, hangup
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
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifndef SHIM
#define SHIM ""
#endif

namespace {

struct {
    std::string in = "terminal", shim, shell;
    bool out_pipe = false;
    int ignored = 0, within = 5000;
} opt;

char** program;
int split_ms;
int master = -1, to_in = -1, from_out = -1, slave = -1;
volatile pid_t pid = -1;
std::string seen, all;  // output not yet expected, and all of it

const struct {
    const char* name;
    int number;
} signals[] = {{"HUP", SIGHUP},   {"INT", SIGINT},   {"QUIT", SIGQUIT},    {"ILL", SIGILL},
               {"TRAP", SIGTRAP}, {"ABRT", SIGABRT}, {"BUS", SIGBUS},      {"FPE", SIGFPE},
               {"USR1", SIGUSR1}, {"SEGV", SIGSEGV}, {"USR2", SIGUSR2},    {"PIPE", SIGPIPE},
               {"ALRM", SIGALRM}, {"TERM", SIGTERM}, {"XCPU", SIGXCPU},    {"XFSZ", SIGXFSZ},
               {"PROF", SIGPROF}, {"SYS", SIGSYS},   {"VTALRM", SIGVTALRM}};

int signal_number(const std::string& name) {
    for (const auto& s : signals)
        if (name == s.name)
            return s.number;
    return 0;
}

// How the program ended, as the scenarios say it: "exit N" or "signal SIG".
std::string ending(int status) {
    for (const auto& s : signals)
        if (WIFSIGNALED(status) && WTERMSIG(status) == s.number)
            return std::string("signal ") + s.name;
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

// Ends a run, the program's whole process group with it.
void finish() {
    if (pid > 0 && kill(-pid, SIGKILL) == 0)
        waitpid(pid, nullptr, 0);
    pid = -1;
    for (int fd : {master, to_in, from_out, slave})
        close(fd);  // some are the same descriptor: a second close fails, harmlessly
    master = to_in = from_out = slave = -1;
    seen.clear();
    all.clear();
}

// The driver killed, by CTest's timeout say, takes the program with it.
void on_signal(int) {
    if (pid > 0)
        kill(-pid, SIGKILL);
    _exit(3);
}

bool private_pipe(int p[2]) {
    return pipe(p) == 0 && fcntl(p[0], F_SETFD, FD_CLOEXEC) == 0 && fcntl(p[1], F_SETFD, FD_CLOEXEC) == 0;
}

// Every descriptor of the driver's is closed on exec: the program gets
// only its three streams.
bool start() {
    finish();
    int in_pipe[2], out_pipe[2];
    if (!private_pipe(in_pipe) || !private_pipe(out_pipe) ||
        (pid = forkpty(&master, nullptr, nullptr, nullptr)) < 0)
        return false;
    if (pid == 0) {
        if (opt.in == "pipe" || opt.in == "dir")
            dup2(opt.in == "pipe" ? in_pipe[0] : open("/", O_RDONLY | O_CLOEXEC), 0);
        if (opt.in == "closed")
            close(0);
        if (opt.out_pipe)
            dup2(out_pipe[1], 1);
        const struct rlimit no_core = {0, 0};  // SIGQUIT would leave one
        setrlimit(RLIMIT_CORE, &no_core);
        if (opt.ignored)
            signal(opt.ignored, SIG_IGN);
        if (!opt.shim.empty()) {
            setenv("LD_PRELOAD", SHIM, 1);
            setenv("SHIM", opt.shim.c_str(), 1);
        }
        if (opt.shell.empty()) {
            execvp(program[0], program);
            _exit(127);
        }
        // The program is the script's "$0" and its arguments "$@".
        std::vector<char*> args = {const_cast<char*>("sh"), const_cast<char*>("-m"), const_cast<char*>("-c"),
                                   opt.shell.data()};
        for (char** arg = program; *arg; ++arg)
            args.push_back(*arg);
        args.push_back(nullptr);
        execv("/bin/sh", args.data());
        _exit(127);
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);  // to read its modes
    to_in = opt.in == "pipe" ? in_pipe[1] : (close(in_pipe[1]), master);
    from_out = opt.out_pipe ? out_pipe[0] : (close(out_pipe[0]), master);
    close(in_pipe[0]);
    close(out_pipe[1]);
    return true;
}

// Whether any output came within ms.
bool more(int ms) {
    char buf[4096];
    struct pollfd p = {from_out, POLLIN, 0};
    const ssize_t n = poll(&p, 1, ms) > 0 ? read(from_out, buf, sizeof buf) : 0;
    if (n > 0) {
        seen.append(buf, static_cast<std::size_t>(n));
        all.append(buf, static_cast<std::size_t>(n));
    } else if (p.revents != 0) {  // the other end has gone: no more output, but wait as asked
        usleep(static_cast<useconds_t>(ms) * 1000);
    }
    return n > 0;
}

// The program's exit status once it has ended within the wait, or -1.
int ended() {
    int status = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(opt.within);
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
    if (verb == "start" && !start())
        why = std::string("cannot start: ") + std::strerror(errno);
    if (verb == "start")
        return why.empty();
    if (verb == "type" || verb == "press") {
        const std::size_t step = verb == "press" && split_ms > 0 ? 1 : text.size();
        for (std::size_t at = 0; at < text.size(); at += step) {
            if (at > 0)
                usleep(static_cast<useconds_t>(split_ms) * 1000);
            if (write(to_in, text.data() + at, step) != static_cast<ssize_t>(step))
                return false;
        }
        return true;
    }
    if (verb == "sleep")
        return usleep(static_cast<useconds_t>(std::stoi(arg)) * 1000) == 0;
    if (verb == "expect") {
        while (seen.find(text) == std::string::npos)
            if (!more(opt.within))
                return false;
        seen.erase(0, seen.find(text) + text.size());
        return true;
    }
    if (verb == "quiet")
        return !more(std::stoi(arg)) && waitpid(pid, nullptr, WNOHANG) == 0;
    if (verb == "mode" || verb == "becomes") {
        for (int waited = 0; verb == "becomes" && mode() != arg && waited < opt.within; waited += 10)
            usleep(10000);
        why = "terminal in " + mode() + " mode";
        return mode() == arg;
    }
    if (verb == "seen" || verb == "unseen")
        return (all.find(text) != std::string::npos) == (verb == "seen");
    if (verb == "signal")
        return kill(pid, signal_number(arg)) == 0;
    if (verb == "close" || verb == "hangup") {
        const int fd = verb == "hangup" ? master : arg == "stdin" ? to_in : from_out;
        close(fd);
        for (int* f : {&master, &to_in, &from_out})
            *f = *f == fd ? -1 : *f;
        return true;
    }
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
            continue;
        }
        if (line == "end") {
            for (const std::string& word : words)
                for (auto [at, text] : body) {
                    for (std::size_t i; (i = text.find("{}")) != std::string::npos;)
                        text.replace(i, 2, word);
                    steps.emplace_back(at, text);
                }
            words.clear();
            body.clear();
            continue;
        }
        (words.empty() ? steps : body).emplace_back(number, line);
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
    alarm(240);
    const auto steps = read_steps(argv[1]);
    for (const auto& [number, line] : steps) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
        if (verb == "stdin" || verb == "shim" || verb == "shell") {
            (verb == "stdin" ? opt.in : verb == "shim" ? opt.shim : opt.shell) = arg;
        } else if (verb == "stdout" || verb == "ignore" || verb == "within") {
            opt.out_pipe = opt.out_pipe || verb == "stdout";
            opt.ignored = verb == "ignore" ? signal_number(arg) : opt.ignored;
            opt.within = verb == "within" ? std::stoi(arg) : opt.within;
        } else {
            std::string why;
            if (verb != "start" && pid == -1 && master == -1 && !start())
                why = std::string("cannot start: ") + std::strerror(errno);
            if (!why.empty() || !act(verb, arg, why)) {
                std::cerr << argv[1] << ":" << number << ": " << line << ": failed"
                          << (why.empty() ? "" : ", ") << why << "\noutput not yet expected: " << seen
                          << "\n";
                finish();
                return 1;
            }
        }
    }
    finish();
    return steps.empty() ? 1 : 0;
}
