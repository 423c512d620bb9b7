// Preloaded under the program to make the system misbehave in the one way
// that SHIM names:
//   short-writes    write() to standard output takes at most 7 bytes a call
//   three-writes    the fourth write() to standard output fails with EIO
//   close-fails     close() of standard output fails with EIO
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

// The call as the system makes it.
template <typename F>
F real(F, const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int fail() {
    errno = EIO;
    return -1;
}

}  // namespace

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
    static int writes;
    if (fd == 1 && ++writes > 3 && shim("three-writes"))
        return fail();
    return real(write, "write")(fd, buf, fd == 1 && n > 7 && shim("short-writes") ? 7 : n);
}

extern "C" int close(int fd) {
    const int closed = real(close, "close")(fd);
    return fd == 1 && shim("close-fails") ? fail() : closed;
}

extern "C" int tcsetattr(int fd, int when, const struct termios* t) {
    struct pollfd p = {fd, POLLIN, 0};
    if (shim("slow-tcsetattr") && (t->c_lflag & ICANON) != 0 && write(2, "[tcsetattr]", 11) == 11)
        poll(&p, 1, 2000);
    return real(tcsetattr, "tcsetattr")(fd, when, t);
}
