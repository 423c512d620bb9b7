#include "checks.hpp"

#include <climits>

#include "console.hpp"

namespace {

int reject() {
    console_pause();
    return 0;
}

}  // namespace

int check_classe(int classe) {
    if (classe > 3 || classe <= 0) {
        console_puts("\n//\t\t//\t\t//\t\t//\t//");
        console_puts("//\tErreur : Vous devez choisir entre 1, 2 ou 3\t//");
        console_puts("//\t\t//\t\t//\t\t//\t//");
        return reject();
    }
    return 1;
}

int check_force(int force) {
    if (force > POINTS_DISPONIBLES) {
        console_print("!!!\t\tErreur\t:\tTrop de force (%d) ! \n", {force});
        return reject();
    }
    if (force < 0) {
        console_print("!!!\t\tErreur : vous avez ajoute de la force negative (%d).\n", {force});
        return reject();
    }
    return 1;
}

int check_dext(int dext, int points, int force) {
    if (dext < 0) {
        console_print("!!!\t\tErreur\t: Dexterite negative(%d)!\n", {dext});
        return reject();
    }
    // Strength and dexterity together would not fit in an int: no sum of
    // stats can be trusted past this point, so the answer stops here.
    if (static_cast<long long>(force) + dext > INT_MAX) {
        console_print("!!!\t\tErreur\t: Trop de dexterite(%d) %d !\n", {dext, points});
        return reject();
    }
    return 1;
}

int check_consti(int consti) {
    if (consti < 0) {
        console_puts("!!!\t\tErreur: Constitution negative");
        return reject();
    }
    return 1;
}
