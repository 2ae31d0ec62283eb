// Threads begun through StartThread, many at once from several threads, are each themselves from
// their first instruction on: under a platform that keeps every thread's identity in one table
// (32-bit Wine under a processor emulator), threads begun at the same time took each other's.
#include "common/thread_start.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

constexpr int Creators = 3;
constexpr int ThreadsPerCreator = 6;

// The id a thread reads from its own environment block.
struct Seen {
    DWORD id;
};

struct CreatorRecord {
    HANDLE release; // all threads stay until the test has looked at every one
    HANDLE threads[ThreadsPerCreator];
    Seen seen[ThreadsPerCreator];
};

DWORD WINAPI RecordItself(void* parameter) {
    Seen* seen = static_cast<Seen*>(parameter);
    seen->id = GetCurrentThreadId();
    return 0;
}

DWORD WINAPI StartSeveral(void* parameter) {
    CreatorRecord* creator = static_cast<CreatorRecord*>(parameter);
    for (int i = 0; i < ThreadsPerCreator; ++i) {
        creator->threads[i] = StartThread(RecordItself, &creator->seen[i], 0);
    }
    return 0;
}

} // namespace

TEST(StartThread, ThreadsBegunAtOnceFromSeveralThreadsAreEachThemselves) {
    std::vector<CreatorRecord> creators(Creators);
    HANDLE creatorThreads[Creators];
    for (int c = 0; c < Creators; ++c) {
        creatorThreads[c] = StartThread(StartSeveral, &creators[c], 0);
        ASSERT_NE(creatorThreads[c], nullptr);
    }
    ASSERT_EQ(WaitForMultipleObjects(Creators, creatorThreads, TRUE, 30000), WAIT_OBJECT_0);
    std::set<DWORD> ids;
    for (CreatorRecord& creator : creators) {
        for (int i = 0; i < ThreadsPerCreator; ++i) {
            ASSERT_NE(creator.threads[i], nullptr) << "a thread found itself to be another";
            ASSERT_EQ(WaitForSingleObject(creator.threads[i], 30000), WAIT_OBJECT_0);
            EXPECT_EQ(creator.seen[i].id, GetThreadId(creator.threads[i]));
            ids.insert(creator.seen[i].id);
            CloseHandle(creator.threads[i]);
        }
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(Creators * ThreadsPerCreator));
    for (HANDLE thread : creatorThreads) {
        CloseHandle(thread);
    }
}

TEST(StartThread, TheThreadRunsOnTheStackAskedFor) {
    // 8 MiB of locals would overflow the default stack of 1 MiB.
    struct Deep {
        static DWORD WINAPI Run(void* parameter) {
            volatile char big[8 << 20];
            big[0] = 1;
            big[sizeof big - 1] = 2;
            *static_cast<int*>(parameter) = big[0] + big[sizeof big - 1];
            return 0;
        }
    };
    int result = 0;
    HANDLE thread = StartThread(Deep::Run, &result, 16 << 20);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(result, 3);
}

DWORD WINAPI EndAtOnce(void*) {
    return 0;
}

// The product gives up its helper threads where threads do not keep their identities: that must
// happen exactly where 32-bit code runs through the emulator (the test run says which), or the
// product crashes there, or loses its speed on real processors.
TEST(StartThread, ThreadsKeepTheirIdentityExactlyWhereTheyCan) {
    HANDLE thread = StartThread(EndAtOnce, nullptr, 0);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
#if defined(_WIN64)
    EXPECT_TRUE(ThreadsKeepTheirIdentity());
#else
    wchar_t code[16] = L"";
    GetEnvironmentVariableW(L"RESCINDO_I386_CODE", code, 16);
    if (lstrcmpW(code, L"native") == 0) {
        EXPECT_TRUE(ThreadsKeepTheirIdentity());
    } else if (lstrcmpW(code, L"emulated") == 0) {
        EXPECT_FALSE(ThreadsKeepTheirIdentity());
    } else {
        GTEST_SKIP() << "RESCINDO_I386_CODE does not say how 32-bit code runs here";
    }
#endif
}
