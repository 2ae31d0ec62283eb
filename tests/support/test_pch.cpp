// The source the shared precompiled headers are made with (tests/CMakeLists.txt).
#include <gtest/gtest.h>
