#include <gtest/gtest.h>

#include <tuple>

#include "sheet.hpp"

namespace {

// Each row sits where the truncations, taken one at a time or nested, would
// give another figure if done otherwise; the thief's defence at every
// dexterity is a transcript's.  A class beyond the three has no figures.
TEST(Sheet, FiguresOfEachClass) {
    const struct {
        int classe, force, dext, consti;
        fiche expected;
    } cases[] = {
        {1, 130, 130, 130, {1760, 1822, 1660, 7865}},
        {1, 0, 0, 390, {1500, 750, 2700, 17160}},
        {1, 1, 1, 388, {1502, 758, 2692, 17088}},  // 1.25 and 6.5 dropped
        {2, 3, 1, 386, {755, 990, 3754, 11785}},   // nested: 991 in one go
        {2, 0, 5, 385, {760, 1007, 3759, 11745}},  // 2.8 * 5 is 14, not 13
        {2, 0, 390, 0, {1530, 3510, 2142, 1350}},
        {3, 1, 1, 388, {1957, 835, 2153, 14459}},  // nested: 836 in one go
        {3, 390, 0, 0, {2925, 2970, 600, 3795}},
        {4, 130, 130, 130, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const fiche f = calcul_fiche(c.classe, c.force, c.dext, c.consti), e = c.expected;
        EXPECT_EQ(std::tie(f.degats, f.attaque, f.defense, f.pv),
                  std::tie(e.degats, e.attaque, e.defense, e.pv))
            << "class " << c.classe << ", " << c.force << "/" << c.dext << "/" << c.consti;
    }
}

}  // namespace
