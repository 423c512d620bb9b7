#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "sheet.hpp"

// The figures of each row of sheets.txt.
TEST(Sheet, Figures) {
    std::ifstream file("sheets.txt");
    int rows = 0;
    for (std::string line; std::getline(file, line);) {
        std::istringstream in(line);
        int c = 0, f = 0, d = 0, k = 0;
        fiche e{};
        if (line[0] == '#' || !(in >> c >> f >> d >> k >> e.degats >> e.attaque >> e.defense >> e.pv))
            continue;
        const fiche g = calcul_fiche(c, f, d, k);
        EXPECT_EQ(std::tie(g.degats, g.attaque, g.defense, g.pv),
                  std::tie(e.degats, e.attaque, e.defense, e.pv))
            << line;
        ++rows;
    }
    EXPECT_GT(rows, 8);
}
