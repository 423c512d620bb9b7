// The console in a web page, compiled with Emscripten.
//
// The page (web/calcstats.html) holds the screen and the answer field; each
// effect here is a call to its script, the waits awaited through Asyncify:
//   calcstats.write(text)   appends the program's text to the screen
//   calcstats.clear()       empties the screen
//   document.title          the title
//   calcstats.read(bytes)   gives what is left of the last answer, waiting
//                           for one (Enter) or for the end of input (Ctrl-D)
//   calcstats.key(ms)       waits for one key press, click or tap, once
//                           nothing has come for ms; the key is not typed
//                           into the next answer
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

EM_ASYNC_JS(void, page_key, (int moment), {
    await calcstats.key(moment);
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

void sys_key() {
    page_key(sys_moment_ms);
}
