#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "checks.hpp"
#include "console.hpp"
#include "console_sys.hpp"

// The platform, for these tests: no input, and output into a string.
static std::string output;
sys_streams sys_open() { return {false, false, false}; }
long sys_read(void*, std::size_t) { return 0; }
bool sys_write(const void* buf, std::size_t size) {
    output.append(static_cast<const char*>(buf), size);
    return true;
}
bool sys_close() { return true; }
std::string_view sys_title(const char*) { return {}; }
std::string_view sys_clear() { return {}; }
void sys_key_begin() {}
void sys_key_read() {}
void sys_key_end() {}

namespace {

const char* const class_error =
    "\n//\t\t//\t\t//\t\t//\t//\n"
    "//\tErreur : Vous devez choisir entre 1, 2 ou 3\t//\n"
    "//\t\t//\t\t//\t\t//\t//\n";

// Each limit once on either side; an accepted value writes nothing at all.
const struct {
    std::function<int()> check;
    const char* message;  // nullptr: accepted
} cases[] = {
    {[] { return check_classe(1); }, nullptr},
    {[] { return check_classe(0); }, class_error},
    {[] { return check_classe(4); }, class_error},
    {[] { return check_force(0); }, nullptr},
    {[] { return check_force(390); }, nullptr},
    {[] { return check_force(391); }, "!!!\t\tErreur\t:\tTrop de force (391) ! \n"},
    {[] { return check_force(-1); }, "!!!\t\tErreur : vous avez ajoute de la force negative (-1).\n"},
    {[] { return check_dext(0, 0, 390); }, nullptr},
    {[] { return check_dext(-1, 391, 0); }, "!!!\t\tErreur\t: Dexterite negative(-1)!\n"},
    {[] { return check_dext(INT_MAX - 1, 390 - INT_MAX, 1); }, nullptr},
    {[] { return check_dext(INT_MAX, 389 - INT_MAX, 1); },
     "!!!\t\tErreur\t: Trop de dexterite(2147483647) -2147483258 !\n"},
    {[] { return check_consti(-1); }, "!!!\t\tErreur: Constitution negative\n"},
};

TEST(Checks, AcceptSilentlyOrExplainAndPause) {
    for (const auto& c : cases) {
        console_open();
        output.clear();
        const bool accepted = c.check() != 0;
        console_close();
        EXPECT_EQ(accepted, c.message == nullptr) << output;
        EXPECT_EQ(output,
                  c.message ? c.message + std::string("Appuyez sur une touche pour continuer...\n") : "");
    }
}

}  // namespace
