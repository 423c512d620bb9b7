// Preloaded under the program to make the system misbehave in the one way
// that SHIM names:
//   short-writes    write() to standard output takes at most 7 bytes a call
//   three-writes    the fourth write() to standard output fails with EIO
//   close-fails     close() of standard output fails with EIO
//   poll-nval       poll() answers POLLNVAL at once, as macOS may for a terminal
//   slow-tcsetattr  tcsetattr() back to line mode first writes [tcsetattr] on
//                   standard error, then waits for a byte (2 s at most), so
//                   that a signal or a key can land while it runs
#include <dlfcn.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool shim(const char* mode) {
    const char* s = std::getenv("SHIM");
    return s != nullptr && std::strcmp(s, mode) == 0;
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    static int writes;
    if (fd == 1 && ++writes > 3 && shim("three-writes")) {
        errno = EIO;
        return -1;
    }
    return real(fd, buf, fd == 1 && n > 7 && shim("short-writes") ? 7 : n);
}

extern "C" int close(int fd) {
    static const auto real = next<int (*)(int)>("close");
    if (fd == 1 && shim("close-fails")) {
        real(fd);
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int poll(struct pollfd* fds, nfds_t n, int timeout) {
    static const auto real = next<int (*)(struct pollfd*, nfds_t, int)>("poll");
    if (n == 1 && shim("poll-nval")) {
        fds->revents = POLLNVAL;
        return 1;
    }
    return real(fds, n, timeout);
}

extern "C" int tcsetattr(int fd, int when, const struct termios* t) {
    static const auto real = next<int (*)(int, int, const struct termios*)>("tcsetattr");
    if (shim("slow-tcsetattr") && (t->c_lflag & ICANON) != 0) {
        write(2, "[tcsetattr]", 11);
        struct pollfd p = {fd, POLLIN, 0};
        poll(&p, 1, 2000);
    }
    return real(fd, when, t);
}
