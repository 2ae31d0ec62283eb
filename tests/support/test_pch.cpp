// The source the shared precompiled GoogleTest header is made with (tests/CMakeLists.txt).
#include <gtest/gtest.h>
