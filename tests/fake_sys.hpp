// A platform for the unit tests: input comes from a string, a few bytes per
// read so that every buffer edge is crossed, and output goes to a string.
#pragma once

#include <string>
#include <vector>

struct fake_platform {
    std::string input;
    std::size_t input_pos = 0;
    std::size_t chunk = 3;
    bool in_term = false;
    std::string output;
    std::size_t writes = 0;
    std::vector<std::string> output_at_wait;  // output seen by each read or key wait
};

extern fake_platform fake;

// Starts a fresh console on the given input.
void fake_start(const std::string& input, bool in_term = false);

// Everything written since fake_start.
std::string fake_output();
