// The program's version, the one place it is set. The version block of the resource script,
// the console program's --version and the release's file name (scripts/release.sh) all take it
// from here.
#pragma once

#define RESCINDO_VERSION_MAJOR 1
#define RESCINDO_VERSION_MINOR 0
#define RESCINDO_VERSION_PATCH 0

// Windows version blocks hold four numbers; the fourth is always 0 here.
#define RESCINDO_QUOTE_(...) #__VA_ARGS__
#define RESCINDO_QUOTE(...) RESCINDO_QUOTE_(__VA_ARGS__)

// "1.0.0": what people read, in the zip's name and after --version.
#define RESCINDO_VERSION_TEXT                                                                      \
    RESCINDO_QUOTE(RESCINDO_VERSION_MAJOR.RESCINDO_VERSION_MINOR.RESCINDO_VERSION_PATCH)

// "1, 0, 0, 0": the strings of the version block, written the way resource scripts write them.
#define RESCINDO_VERSION_BLOCK_TEXT                                                                \
    RESCINDO_QUOTE(RESCINDO_VERSION_MAJOR, RESCINDO_VERSION_MINOR, RESCINDO_VERSION_PATCH, 0)
