#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "console.hpp"
#include "fake_sys.hpp"

namespace {

// Reads numbers until the input ends; a read that finds no number shows as
// the value it was given, -7.
std::vector<int> read_all(const std::string& input) {
    fake_start(input);
    std::vector<int> values;
    for (int value = -7; console_read_int(value); value = -7)
        values.push_back(value);
    return values;
}

struct read_case {
    const char* input;
    std::vector<int> values;
};

const read_case read_cases[] = {
    {"", {}},
    {" \n\t\r\n ", {}},
    {"1\n130\n130\n", {1, 130, 130}},
    {"1 130 130", {1, 130, 130}},
    {"1\r\n130\r\n", {1, 130}},
    {"+7 -0 007", {7, 0, 7}},
    {"12abc\n5", {12, -7, 5}},  // the rest of the line goes with the garbage
    {"abc def\n5\n", {-7, 5}},
    {"- 5\n6", {-7, 6}},  // a sign alone is no number
    {"+\n-\n", {-7, -7}},
    {"2147483647 2147483648 99999999999999999999", {INT_MAX, INT_MAX, INT_MAX}},
    {"-2147483648 -2147483649 -99999999999999999999", {INT_MIN, INT_MIN, INT_MIN}},
    {"--5\n", {-7}},
};

TEST(Console, ReadsNumbersLikeScanfButSafely) {
    for (const read_case& c : read_cases)
        EXPECT_EQ(read_all(c.input), c.values) << '"' << c.input << '"';
}

TEST(Console, LongNumberSaturatesAcrossManyBuffers) {
    const std::string digits(300000, '9');
    EXPECT_EQ(read_all(digits + " 4\n-" + digits), (std::vector<int>{INT_MAX, 4, INT_MIN}));
}

TEST(Console, FormatsEveryInt) {
    fake_start("");
    console_print("%d|%d|%d|%d|%d\n", {0, -1, 42, INT_MAX, INT_MIN});
    console_print("no args: %d\n");
    console_puts("line");
    EXPECT_EQ(fake_output(), "0|-1|42|2147483647|-2147483648\nno args: %d\nline\n");
}

TEST(Console, PromptIsOutBeforeEachWaitAndNotBefore) {
    fake_start("1\n2\n");
    fake.chunk = 100;
    int value = 0;
    console_print("first ? ");
    console_read_int(value);
    console_print("second ? ");
    console_read_int(value);  // already buffered: no wait, no write
    console_print("third ? ");
    EXPECT_FALSE(console_read_int(value));
    EXPECT_EQ(fake.output_at_wait, (std::vector<std::string>{"first ? ", "first ? second ? third ? "}));
    EXPECT_EQ(fake.writes, 2u);
}

TEST(Console, PauseWaitsOnlyForATerminal) {
    fake_start("", true);
    console_pause();
    EXPECT_EQ(fake.output_at_wait, std::vector<std::string>{"Appuyez sur une touche pour continuer..."});
    EXPECT_EQ(fake_output(), "Appuyez sur une touche pour continuer...\n");

    fake_start("", false);
    console_pause();
    EXPECT_TRUE(fake.output_at_wait.empty());
    EXPECT_EQ(fake_output(), "Appuyez sur une touche pour continuer...\n");
}

TEST(Console, OutputLargerThanTheBufferIsWrittenWhole) {
    fake_start("");
    const std::string big(200000, 'x');
    console_print("<");
    console_print(big);
    console_print(">");
    EXPECT_EQ(fake_output(), "<" + big + ">");
}

}  // namespace
