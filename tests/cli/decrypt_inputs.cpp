// The inputs and outputs of the decrypt tests: see tests/cli/decrypt_inputs.h.
#include "tests/cli/decrypt_inputs.h"
#include "tests/cli/cli_driver.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

#include <gtest/gtest.h>

std::string Plain(const DecryptFixture& fixture) {
    return std::string(reinterpret_cast<const char*>(fixture.plain), fixture.size);
}

std::string Cipher(const DecryptFixture& fixture) {
    return std::string(reinterpret_cast<const char*>(fixture.cipher), fixture.size);
}

std::wstring Name(const DecryptFixture& fixture) {
    return Wide(fixture.name);
}

std::wstring Place(const std::wstring& folder, const DecryptFixture& fixture) {
    std::wstring path = folder + L"\\" + Name(fixture) + L".crypt";
    EXPECT_TRUE(WriteWhole(path, Cipher(fixture))) << fixture.name;
    return path;
}

std::wstring Place(const std::wstring& folder, const char* name) {
    return Place(folder, Fixture(name));
}

std::map<std::string, nlohmann::json> FilesByPath(const std::vector<nlohmann::json>& lines) {
    std::map<std::string, nlohmann::json> files;
    for (const nlohmann::json& line : OfKind(lines, "file")) {
        files[line["path"]] = line;
    }
    return files;
}
