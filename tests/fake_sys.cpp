#include "fake_sys.hpp"

#include <algorithm>
#include <cstring>

#include "console.hpp"
#include "console_sys.hpp"

fake_platform fake;

void fake_start(const std::string& input, bool in_term) {
    fake = fake_platform{};
    fake.input = input;
    fake.in_term = in_term;
    console_open();
}

std::string fake_output() {
    console_flush();
    return fake.output;
}

sys_streams sys_open() {
    return {fake.in_term, false};
}

long sys_read(void* buf, std::size_t size) {
    fake.output_at_wait.push_back(fake.output);
    const std::size_t n = std::min({size, fake.chunk, fake.input.size() - fake.input_pos});
    std::memcpy(buf, fake.input.data() + fake.input_pos, n);
    fake.input_pos += n;
    return static_cast<long>(n);
}

bool sys_write(const void* buf, std::size_t size) {
    ++fake.writes;
    fake.output.append(static_cast<const char*>(buf), size);
    return true;
}

bool sys_close() {
    return true;
}

void sys_title(const char*) {}

void sys_clear() {}

void sys_wait_key() {
    fake.output_at_wait.push_back(fake.output);
}
