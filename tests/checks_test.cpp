#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "checks.hpp"
#include "fake_sys.hpp"

namespace {

const std::string pause = "Appuyez sur une touche pour continuer...\n";
const std::string class_error =
    "\n//\t\t//\t\t//\t\t//\t//\n"
    "//\tErreur : Vous devez choisir entre 1, 2 ou 3\t//\n"
    "//\t\t//\t\t//\t\t//\t//\n";

struct check_case {
    const char* name;
    std::function<int()> check;
    bool accepted;
    std::string output;  // what the player sees, pause included
};

const check_case cases[] = {
    {"class 1", [] { return check_classe(1); }, true, ""},
    {"class 3", [] { return check_classe(3); }, true, ""},
    {"class 0", [] { return check_classe(0); }, false, class_error + pause},
    {"class 4", [] { return check_classe(4); }, false, class_error + pause},
    {"class -1", [] { return check_classe(-1); }, false, class_error + pause},
    {"class INT_MIN", [] { return check_classe(INT_MIN); }, false, class_error + pause},

    {"force 0", [] { return check_force(0); }, true, ""},
    {"force 390", [] { return check_force(390); }, true, ""},
    {"force 391",
     [] { return check_force(391); },
     false,
     "!!!\t\tErreur\t:\tTrop de force (391) ! \n" + pause},
    {"force -1",
     [] { return check_force(-1); },
     false,
     "!!!\t\tErreur : vous avez ajoute de la force negative (-1).\n" + pause},
    {"force INT_MIN",
     [] { return check_force(INT_MIN); },
     false,
     "!!!\t\tErreur : vous avez ajoute de la force negative (-2147483648).\n" + pause},

    {"dext 0", [] { return check_dext(0, 0, 390); }, true, ""},
    {"dext past the points left", [] { return check_dext(300, -200, 290); }, true, ""},
    {"dext -1",
     [] { return check_dext(-1, 391, 0); },
     false,
     "!!!\t\tErreur\t: Dexterite negative(-1)!\n" + pause},
    {"force + dext at INT_MAX", [] { return check_dext(INT_MAX - 1, -INT_MAX + 390, 1); }, true, ""},
    {"force + dext past INT_MAX",
     [] { return check_dext(INT_MAX, -INT_MAX + 389, 1); },
     false,
     "!!!\t\tErreur\t: Trop de dexterite(2147483647) -2147483258 !\n" + pause},

    {"consti 0", [] { return check_consti(0); }, true, ""},
    {"consti 390", [] { return check_consti(390); }, true, ""},
    {"consti -1", [] { return check_consti(-1); }, false, "!!!\t\tErreur: Constitution negative\n" + pause},
};

TEST(Checks, AcceptSilentlyOrExplainAndPause) {
    for (const check_case& c : cases) {
        fake_start("");
        const int result = c.check();
        EXPECT_EQ(result != 0, c.accepted) << c.name;
        EXPECT_EQ(fake_output(), c.output) << c.name;
    }
}

}  // namespace
