// The entry of a test's data table (samples, fixtures) by its name; a name the table lacks fails
// the test. Header only, portable.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>

template <typename Entry>
const Entry& EntryNamed(const Entry* table, uint32_t count, const char* name) {
    for (uint32_t i = 0; i < count; ++i) {
        if (std::strcmp(table[i].name, name) == 0) {
            return table[i];
        }
    }
    ADD_FAILURE() << "no entry named " << name;
    return table[0];
}
