// The GUI test driver: GoogleTest's options first, then the path of the program under test
// (a Unix path, reached through Wine's \\?\unix\ namespace since the prefix has no z: drive).
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>
#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [gtest options] PROGRAM\n", argv[0]);
        return 2;
    }
    wchar_t path[1024];
    if (MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, path, 1024) == 0) {
        return 2;
    }
    ProgramPath = path;
    if (!ProgramPath.empty() && ProgramPath[0] == L'/') {
        for (wchar_t& c : ProgramPath) {
            c = c == L'/' ? L'\\' : c;
        }
        ProgramPath = L"\\\\?\\unix" + ProgramPath;
    }
    return RUN_ALL_TESTS();
}
