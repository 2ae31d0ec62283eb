// Which drives a run searches, from what the platform answered about each one.
#include "unlock/drive_rule.h"
#include <gtest/gtest.h>
#include <cstdint>

namespace {

struct DriveCase {
    int deviceOpened;
    int mediaChecked;
    uint32_t checkError;
    uint32_t driveType;
    int searched;
};

// Drive types: 2 removable, 3 fixed, 4 remote, 5 optical, 6 RAM disk. Errors: 1 invalid
// function, 50 not supported, 21 not ready (no medium), 5 access denied.
const DriveCase DriveCases[] = {
    {1, 1, 0, 3, 1},  {1, 1, 0, 2, 1},  {1, 1, 0, 4, 1},  {1, 1, 0, 6, 1},  {1, 1, 0, 5, 0},
    {1, 0, 21, 5, 0}, {1, 0, 50, 5, 0}, {1, 0, 50, 3, 1}, {1, 0, 1, 3, 1},  {1, 0, 50, 2, 0},
    {1, 0, 1, 2, 0},  {1, 0, 50, 4, 0}, {1, 0, 21, 3, 0}, {1, 0, 21, 2, 0}, {1, 0, 5, 3, 0},
    {0, 0, 0, 3, 0},  {0, 1, 0, 3, 0},
};

TEST(DriveRule, Decision) {
    for (const DriveCase& c : DriveCases) {
        EXPECT_EQ(DriveIsSearched(c.deviceOpened, c.mediaChecked, c.checkError, c.driveType),
                  c.searched)
            << "opened " << c.deviceOpened << " checked " << c.mediaChecked << " error "
            << c.checkError << " type " << c.driveType;
    }
}

TEST(DriveRule, LettersFromBits) {
    for (int bit = 0; bit < 32; ++bit) {
        EXPECT_EQ(DriveLetterOfBit(bit), static_cast<wchar_t>(L'A' + bit));
    }
    EXPECT_EQ(DriveLetterOfBit(2), L'C');
    EXPECT_EQ(DriveLetterOfBit(25), L'Z');
}

} // namespace
