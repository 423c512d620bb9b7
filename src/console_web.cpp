// The console in a web page, compiled with Emscripten.
//
// The page (web/calcstats.html) holds the screen and the answer field; each
// effect here is a call to its script, the waits awaited through Asyncify:
//   calcstats.write(text)   appends the program's text to the screen
//   calcstats.clear()       empties the screen
//   document.title          the title
//   calcstats.read(bytes)   gives what is left of the last answer, waiting
//                           for one (Enter) or for the end of input (Ctrl-D)
//   calcstats.keys(on)      starts or ends a pause: the page then hands on
//                           each key pressed or repeated, click, tap and
//                           text, none of them typed into the next answer
//   calcstats.event(ms)     waits ms at most (for ever when negative) for
//                           the next of them, with when it came
//   performance.now()       the clock the page stamps them with
//   calcstats.end()         says that the program has ended
//
// Standard input and output are the page, so both count as a terminal: the
// pause waits and the screen is cleared.  The clear empties an element, so
// what was written before it must have reached the page first.  An answer is
// sent whole, pasted perhaps with the answers of several cycles a line each,
// which play out a line at a time.

#include <emscripten.h>

#include "console_sys.hpp"

namespace {

// clang-format off
EM_ASYNC_JS(int, page_read, (unsigned char* buf, int size), {
    return await calcstats.read(HEAPU8.subarray(buf, buf + size));
});

EM_JS(void, page_write, (const char* text, int size), {
    calcstats.write(new TextDecoder("latin1").decode(HEAPU8.subarray(text, text + size)));
});

EM_JS(void, page_title, (const char* title), {
    document.title = UTF8ToString(title);
});

EM_JS(void, page_clear, (), {
    calcstats.clear();
});

EM_ASYNC_JS(void, page_keys, (int on), {
    await calcstats.keys(on);
});

// The event's kind as pause_kind numbers it, or -1 when the time is up.
EM_ASYNC_JS(int, page_event, (int ms, double* at, unsigned char* key, int* size), {
    const event = await calcstats.event(ms);
    if (!event)
        return -1;
    const name = new TextEncoder().encode(event.key).subarray(0, 16);
    HEAPU8.set(name, key);
    HEAP32[size >> 2] = name.length;
    HEAPF64[at >> 3] = event.at;
    return event.kind;
});

EM_JS(double, page_now, (), {
    return performance.now();
});

EM_JS(void, page_end, (), {
    calcstats.end();
});
// clang-format on

}  // namespace

sys_streams sys_open() {
    return {true, true, true, false};
}

long sys_read(void* buf, std::size_t size) {
    const int chunk = size < 65536 ? static_cast<int>(size) : 65536;
    return page_read(static_cast<unsigned char*>(buf), chunk);
}

bool sys_write(const void* buf, std::size_t size) {
    const char* p = static_cast<const char*>(buf);
    for (; size > 65536; p += 65536, size -= 65536)
        page_write(p, 65536);
    page_write(p, static_cast<int>(size));
    return true;
}

bool sys_close() {
    page_end();
    return true;
}

std::string_view sys_title(const char* title) {
    page_title(title);
    return {};
}

std::string_view sys_clear() {
    page_clear();
    return {};
}

long long sys_now() {
    return static_cast<long long>(page_now());
}

pause_key sys_keys_begin() {
    page_keys(1);
    return {{'E', 'n', 't', 'e', 'r'}, 5};
}

int sys_key_event(pause_event& e, int ms) {
    double at = 0;
    int size = 0;
    const int kind = page_event(ms, &at, e.key.bytes, &size);
    if (kind < 0)
        return 0;
    e.ms = static_cast<long long>(at);
    e.kind = static_cast<pause_kind>(kind);
    e.key.size = static_cast<std::size_t>(size);
    return 1;
}

void sys_keys_end() {
    page_keys(0);
}
