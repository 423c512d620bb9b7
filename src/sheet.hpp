// The character sheet at level 75.
#pragma once

struct fiche {
    int degats;
    int attaque;
    int defense;
    int pv;
};

// The level-75 figures of a class (1 GUERRIER, 2 VOLEUR, 3 BARBARE) for stats
// in 0..390; all zero for any other class.
fiche calcul_fiche(int classe, int force, int dext, int consti);

// Writes the sheet of an accepted allocation, whose class the class check
// has let through: heading, figures, and the damage and defence reached
// with each weapon and armour set.
void calcul(int classe, int force, int dext, int consti);
