// The four checks of an allocation cycle, one per answer.  A check that
// rejects its value tells the player why, waits for a key and returns 0; one
// that accepts returns nonzero and writes nothing.
#pragma once

// The points that a cycle divides among the three stats; also the most
// strength that one character can have.
constexpr int POINTS_DISPONIBLES = 390;

int check_classe(int classe);
int check_force(int force);

// points: what is left once the dexterity has been taken off.
int check_dext(int dext, int points, int force);

int check_consti(int consti);
