#include "sheet.hpp"

#include "console.hpp"

namespace {

// Drops the fraction, as the game does: every sum here is 0 or more.
int tronque(double x) {
    return static_cast<int>(x);
}

}  // namespace

// Each fractional term is a stat times a double factor added to the whole
// part before it; the nested truncations are the game's own and change the
// results, so they are kept exactly where they stand.
// clang-format off
fiche calcul_fiche(int classe, int force, int dext, int consti) {
    switch (classe) {
    case 1:
        return {1500 + 2 * force,
                tronque(750 + 2 * force + 5 * dext + 1.25 * dext),
                750 + 2 * dext + 5 * consti,
                tronque(1950 + 6.5 * force) + 39 * consti};
    case 2:
        return {750 + force + 2 * dext,
                tronque(tronque(975 + 3.25 * force) + 6.5 * dext),
                tronque(1050 + 2.8 * dext) + 7 * consti,
                tronque(1350 + 4.5 * force) + 27 * consti};
    case 3:
        return {tronque(1950 + 2.5 * force) + 5 * dext,
                tronque(tronque(825 + 5.5 * force) + 5.5 * dext),
                tronque(600 + 1.5 * dext) + 4 * consti,
                tronque(1650 + 5.5 * force) + 33 * consti};
    default:
        return {0, 0, 0, 0};
    }
}
// clang-format on

void calcul(int classe, int force, int dext, int consti) {
    static const char* const headings[] = {
        "|> GUERRIER\t: LEVEL 75",
        "|> VOLEUR\t: LEVEL 75",
        "|> BARBARE\t: LEVEL 75",
    };
    const fiche f = calcul_fiche(classe, force, dext, consti);

    console_puts(headings[classe - 1]);
    console_print("|> DEGATS\t: %d \n", {f.degats});
    console_print("|> ATTAQUE\t: %d \n", {f.attaque});
    console_print("|> DEFENSE\t: %d \n", {f.defense});
    console_print("|> PV\t\t: %d \n\n", {f.pv});

    console_puts("\t_>DEGATS avec ARMES:");
    console_print("|>Supernova 1 main\t: %d \n", {f.degats + 2798});
    console_print("|>Supernova 2 mains\t: %d \n", {f.degats + 3498});
    console_print("|>Dario\t\t\t: %d \n", {f.degats + 3000});
    console_print("|>Klarth\t\t: %d \n\n", {f.degats + 3098});

    console_puts("\t_>DEFENSE avec ARMURES:");
    console_print("|>SET OFFENSIF SUPERNOVA\t: %d\n", {f.defense + 3640});
    console_print("|>SET DEFENSIF SUPERNOVA\t: %d\n", {f.defense + 4630});
}
