// Plays one scenario of tests/terminal/: the program in a pseudo-terminal
// (or with a stream turned into a pipe), driven a step a line.  Options come
// first, then actions; TEXT takes \r \n \t \a \\ and \xHH escapes.
//   stdin pipe|closed|dir    stdout pipe    ignore SIG    shim MODE    shell SCRIPT
//   type TEXT      types it                 sleep MS      waits
//   expect TEXT    reads until it comes     quiet MS      no output, still running
//   mode M         terminal modes now       becomes M     within 2 s (M: line, key)
//   seen TEXT      somewhere in the output  unseen TEXT   nowhere in it
//   signal SIG     sends it                 close stdin|stdout, hangup
//   ends exit N | ends signal SIG | ends
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
#include <string>

namespace {

struct {
    std::string in = "terminal", shim, shell;
    bool out_pipe = false;
    int ignored = 0;
} opt;

int master = -1, to_in = -1, from_out = -1, slave = -1;
pid_t pid = -1;
std::string seen, all;  // output not yet expected, and all of it

const char* const signals[] = {"INT", "TERM", "HUP", "QUIT", "PIPE"};
const int numbers[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

int signal_number(const std::string& name) {
    for (int i = 0; i < 5; ++i)
        if (name == signals[i])
            return numbers[i];
    return 0;
}

// How the program ended, as the scenarios say it: "exit N" or "signal SIG".
std::string ending(int status) {
    for (int i = 0; i < 5; ++i)
        if (WIFSIGNALED(status) && WTERMSIG(status) == numbers[i])
            return std::string("signal ") + signals[i];
    return WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status)) : "running";
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

void start() {
    const std::string& in = opt.in;
    int in_pipe[2], out_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0)
        std::exit(2);
    pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        if (in == "pipe" || in == "dir")
            dup2(in == "pipe" ? in_pipe[0] : open("/", O_RDONLY), 0);
        if (in == "closed")
            close(0);
        if (opt.out_pipe)
            dup2(out_pipe[1], 1);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1]})
            close(fd);
        const struct rlimit no_core = {0, 0};  // SIGQUIT would leave one
        setrlimit(RLIMIT_CORE, &no_core);
        if (opt.ignored)
            signal(opt.ignored, SIG_IGN);
        if (!opt.shim.empty()) {
            setenv("LD_PRELOAD", SHIM, 1);
            setenv("SHIM", opt.shim.c_str(), 1);
        }
        if (!opt.shell.empty())
            execl("/bin/sh", "sh", "-m", "-c", opt.shell.c_str(), CALCSTATS, static_cast<char*>(nullptr));
        execl(CALCSTATS, CALCSTATS, static_cast<char*>(nullptr));
        _exit(127);
    }
    slave = open(ptsname(master), O_RDWR | O_NOCTTY);  // to read its modes
    to_in = in == "pipe" ? in_pipe[1] : master;
    from_out = opt.out_pipe ? out_pipe[0] : master;
    close(in_pipe[0]);
    close(out_pipe[1]);
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

// The program's exit status once it has ended within ms, or -1.
int ended(int ms) {
    int status = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
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
    if (verb == "type")
        return write(to_in, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (verb == "sleep")
        return usleep(static_cast<useconds_t>(std::stoi(arg)) * 1000) == 0;
    if (verb == "expect") {
        while (seen.find(text) == std::string::npos)
            if (!more(5000))
                return false;
        seen.erase(0, seen.find(text) + text.size());
        return true;
    }
    if (verb == "quiet")
        return !more(std::stoi(arg)) && waitpid(pid, nullptr, WNOHANG) == 0;
    if (verb == "mode" || verb == "becomes") {
        for (int waited = 0; verb == "becomes" && mode() != arg && waited < 2000; waited += 10)
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
        const int status = ended(5000);
        why = status == -1 ? "still running" : ending(status);
        return status != -1 && (arg.empty() || ending(status) == arg);
    }
    why = "unknown step";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::ifstream file(argc == 2 ? argv[1] : "");
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
        if (verb == "stdin" || verb == "shim" || verb == "shell") {
            (verb == "stdin" ? opt.in : verb == "shim" ? opt.shim : opt.shell) = arg;
            continue;
        }
        if (verb == "stdout" || verb == "ignore") {
            opt.out_pipe = opt.out_pipe || verb == "stdout";
            opt.ignored = verb == "ignore" ? signal_number(arg) : opt.ignored;
            continue;
        }
        if (pid == -1 && master == -1)
            start();
        std::string why;
        if (!act(verb, arg, why)) {
            std::cerr << argv[1] << ":" << number << ": " << line << ": failed" << (why.empty() ? "" : ", ")
                      << why << "\noutput not yet expected: " << seen << "\n";
            if (pid > 0)
                kill(pid, SIGKILL);
            return 1;
        }
    }
    if (pid > 0)
        kill(pid, SIGKILL);
    return number > 0 ? 0 : 1;
}
