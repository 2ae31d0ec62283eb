// Links that lead to one another: L:\lN holds two links to L:\lN+1, twenty levels deep (see
// make-links.sh), so 2^20 paths lead through them. The walk enters each link target once per
// run: it ends at once, and every level is searched.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scratch_tree.h"
#include "tests/support/walk_record.h"
#include "unlock/walk_tree.h"

namespace {

const std::wstring Lattice = L"\\\\?\\L:";

void WalkLattice(void*) {
    WalkRecorded(Lattice);
}

TEST(LinkLattice, EachTargetIsEnteredOncePerRun) {
    if (!IsFolder(Lattice + L"\\l20")) {
        GTEST_SKIP() << "drive L: with its lattice of links is not prepared";
    }
    ASSERT_TRUE(WriteWhole(Lattice + L"\\l20\\deep.txt 1-2 ", "deep"));
    RunOnWalkStack(WalkLattice, nullptr);
    // The drive, l0, twenty links followed once each down from l0 (L:\l0\x1\x1...), then l1 to
    // l20 on their own, whose links all lead to targets entered already.
    std::vector<std::wstring> expected = {L"L:", L"L:\\l0"};
    std::wstring path = L"L:\\l0";
    for (int level = 1; level <= 20; ++level) {
        path += L"\\x1";
        expected.push_back(path);
    }
    // In the listing's order, by name: l1, l10 ... l19, l2, l20, l3...
    std::vector<std::wstring> levels;
    for (int level = 1; level <= 20; ++level) {
        levels.push_back(L"L:\\l" + std::to_wstring(level));
    }
    std::sort(levels.begin(), levels.end());
    expected.insert(expected.end(), levels.begin(), levels.end());
    EXPECT_EQ(Walked.entered, expected);
    EXPECT_EQ(Walked.restored, 1);
    EXPECT_EQ(ReadWhole(Lattice + L"\\l20\\deep.txt"), "deep");
    DeleteFileW((Lattice + L"\\l20\\deep.txt").c_str());
}

} // namespace
