// calcstats: divides 390 points between strength, dexterity and
// constitution and shows what the character is worth at level 75, cycle
// after cycle, until its input ends.

#include <climits>

#include "checks.hpp"
#include "console.hpp"
#include "sheet.hpp"

namespace {

const char banner[] =
    "--- --- --- --- --- --- -\n"
    "| Calculateur de stats  |\n"
    "--- --- --- --- --- --- --- --\n"
    "| By Vantorel | Version: 1.2 |\n"
    "--- --- --- --- --- --- --- --- -- --\n"
    "| www.example.org | www.example.com |\n"
    "--- --- --- --- --- --- --- --- -- --\n\n"
    "Choix -->\t\tGUERRIER[1]\n\t\t\tVOLEUR\t[2]\n\t\t\tBARBARE\t[3]\n\n"
    "-- Choisissez votre classe en fonction de son nombre attribue.\n"
    "-- Par exemple, pour Guerrier, on tape 1 puis on valide avec [ENTREE]\n\n";

const char summary_rule[] = "---- ---- ---- ---- ---- ---- ---- ---- ---- ---- ---";

const char footer[] =
    "\n---\t\t---\t\t---\t--\n"
    "Version 1.2 || Derniere MAJ : 20/04/2017 \n"
    "Avec l'aide de www.example.org\n"
    "@web: www.example.com\t@steam: Vantorel";

// What is left once dext is spent.  Only a dexterity far below zero could
// push it past INT_MAX, and that one is rejected, so saturating loses nothing.
int reste(int points, int dext) {
    const long long left = static_cast<long long>(points) - dext;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// One allocation cycle; false once the input has ended.  A rejected answer
// ends the cycle early: its check has already told the player and paused.
bool cycle() {
    console_title("Calculateur de statistiques");
    int points = POINTS_DISPONIBLES;
    int classe = 0;
    int force = 0;
    int dext = 0;
    int consti = 0;

    console_clear();
    console_print(banner);

    console_print("Votre classe ? : ");
    if (!console_read_int(classe))
        return false;
    if (!check_classe(classe))
        return true;

    console_print("Nombre de points disponible : %d \n", {points});
    console_print("FORCE : ");
    if (!console_read_int(force))
        return false;
    if (!check_force(force))
        return true;
    points -= force;
    console_print("POINTS RESTANTS : %d \n", {points});

    console_print("DEXTERITE : ");
    if (!console_read_int(dext))
        return false;
    points = reste(points, dext);
    if (!check_dext(dext, points, force))
        return true;

    consti = points;
    if (!check_consti(consti))
        return true;
    console_print("CONSTITUTION : %d\n\n", {consti});

    console_clear();
    console_puts(summary_rule);
    console_print("| Force : %d | Dexterite : %d | Constitution : %d |\n", {force, dext, consti});
    console_puts(summary_rule);
    calcul(classe, force, dext, consti);
    console_puts(footer);
    console_pause();
    return true;
}

}  // namespace

int main() {
    console_open();
    while (cycle()) {
    }
    console_print("\n");
    return console_close();
}
