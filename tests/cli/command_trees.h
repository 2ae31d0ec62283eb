// What the tests of scan, restore and undo share: fresh drives for each test and the trees they
// build on them, every file holding its own path so that a lost or swapped file shows.
#pragma once
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

using Json = nlohmann::json;
using Tree = std::map<std::wstring, std::string>;

extern const std::wstring D; // \\?\D:
extern const std::wstring E; // \\?\E:

// D:, E: and F: empty before and after each test.
class CleanDrives : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// A file holding its own path; fails the test when it cannot be made.
void MakeFile(const std::wstring& path);

// Folders of 200 characters below D:\long until the path passes 700 characters; the deepest.
std::wstring MakeLongFolder();
// A name of exactly the length that makes folder\name as long as length, ending in tail.
std::wstring NameForLength(const std::wstring& folder, size_t length, const std::wstring& tail);

// Names, folders and contents below D: for a restore with a journal and its undo.
void MakeJournalTree();
// D:\a and D:\b each hold a damaged file; E:\ one more.
void MakeScopeTree();
