#include <gtest/gtest.h>

#include "sheet.hpp"

namespace {

struct sheet_case {
    int classe, force, dext, consti;
    fiche expected;
};

// Each row sits on a place where the game's truncations, taken one at a time
// or nested, would give another figure if done otherwise.
const sheet_case cases[] = {
    {1, 130, 130, 130, {1760, 1822, 1660, 7865}},
    {1, 0, 0, 390, {1500, 750, 2700, 17160}},
    {1, 1, 1, 388, {1502, 758, 2692, 17088}},  // 1.25 and 6.5 dropped
    {1, 390, 0, 0, {2280, 1530, 750, 4485}},
    {2, 3, 1, 386, {755, 990, 3754, 11785}},   // nested: 991 in one go
    {2, 0, 5, 385, {760, 1007, 3759, 11745}},  // 2.8 * 5 is 14, not 13
    {2, 0, 390, 0, {1530, 3510, 2142, 1350}},
    {2, 390, 0, 0, {1140, 2242, 1050, 3105}},
    {3, 1, 1, 388, {1957, 835, 2153, 14459}},  // nested: 836 in one go
    {3, 390, 0, 0, {2925, 2970, 600, 3795}},
    {3, 0, 390, 0, {3900, 2970, 1185, 1650}},
    {3, 0, 0, 390, {1950, 825, 2160, 14520}},
};

TEST(Sheet, FiguresOfEachClass) {
    for (const sheet_case& c : cases) {
        const fiche f = calcul_fiche(c.classe, c.force, c.dext, c.consti);
        SCOPED_TRACE(testing::Message()
                     << "class " << c.classe << ", " << c.force << "/" << c.dext << "/" << c.consti);
        EXPECT_EQ(f.degats, c.expected.degats);
        EXPECT_EQ(f.attaque, c.expected.attaque);
        EXPECT_EQ(f.defense, c.expected.defense);
        EXPECT_EQ(f.pv, c.expected.pv);
    }
}

// 2.8 is the one factor a double cannot hold; the truncated sum must still
// be the decimal one for every dexterity a character can have.
TEST(Sheet, VoleurDefenseMatchesDecimalArithmetic) {
    for (int dext = 0; dext <= 390; ++dext) {
        const int consti = 390 - dext;
        EXPECT_EQ(calcul_fiche(2, 0, dext, consti).defense, 1050 + 28 * dext / 10 + 7 * consti)
            << "dext " << dext;
    }
}

}  // namespace
