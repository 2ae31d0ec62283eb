// The recording walk report of the tests: see tests/support/walk_record.h.
#include "tests/support/walk_record.h"
#include "tests/support/scratch_tree.h"
#include "unlock/name_rule.h"
#include "unlock/path_text.h"
#include "unlock/restore_name.h"
#include "unlock/walk_limits.h"

WalkRecord Walked;

namespace {
void EnteredDirectory(const wchar_t* directory) {
    Walked.entered.push_back(ShownPath(directory));
}

void MetFile(uint32_t, uint32_t) {
    Walked.files += 1;
}

void MetMatch(const wchar_t* entryPath) {
    Walked.matches.push_back(ShownPath(entryPath));
    wchar_t restored[WalkPathCapacity];
    uint32_t error = 0;
    if (RestoreNameTo(entryPath, restored, &error) == RestoreDone) {
        Walked.restored += 1;
    }
}

void MetTooLong(const wchar_t*, const wchar_t* name, int) {
    Walked.tooLong.push_back(name);
}

const WalkReport RecordingReport = {EnteredDirectory, MetFile, MetMatch, MetTooLong,
                                    nullptr,          nullptr, nullptr};

struct BodyCall {
    void (*body)(void*);
    void* context;
};

DWORD WINAPI BodyThread(LPVOID parameter) {
    BodyCall* call = static_cast<BodyCall*>(parameter);
    call->body(call->context);
    return 0;
}
} // namespace

void WalkRecorded(const std::wstring& directory) {
    Walked = WalkRecord();
    ForgetLinkTargets();
    WalkTree(directory.c_str(), SuffixPattern, &RecordingReport);
}

void RunOnWalkStack(void (*body)(void* context), void* context) {
    BodyCall call = {body, context};
    HANDLE thread = CreateThread(nullptr, WorkerStackBytes, BodyThread, &call,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

void FreshWalkRoot::SetUp() {
    ClearTestDrives();
    ForgetLinkTargets();
    ASSERT_TRUE(MakeFolder(WalkRoot));
}

void FreshWalkRoot::TearDown() {
    ClearTestDrives();
}
