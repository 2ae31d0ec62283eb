// The key plan of a decrypt run: every method with and without a password, and built-in key
// numbers at and past the ends of the table. A plan that cannot be keeps no key, so that a front
// end that went on regardless would decrypt nothing under a wrong one.
#include "recovery/decrypt_plan.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstdint>

namespace {

struct PlanCase {
    KeyMethod method;
    int32_t builtInKey;
    int32_t havePassword;
    PlanVerdict verdict;
    int32_t selector; // of the plan made
};

const PlanCase Cases[] = {
    // Each file's own key, or the pair's: found later, the password one more candidate. A key
    // number means nothing there.
    {KeyByType, -1, 0, PlanReady, KeySelectorNone},
    {KeyByType, -1, 1, PlanReady, KeySelectorNone},
    {KeyByType, 99, 0, PlanReady, KeySelectorNone},
    {KeyByPair, -1, 0, PlanReady, KeySelectorNone},
    {KeyByPair, 3, 1, PlanReady, KeySelectorNone},
    // A built-in key, the first and the last, and the numbers just past them and far away.
    {KeyBuiltIn, 0, 0, PlanReady, 0},
    {KeyBuiltIn, 4, 0, PlanReady, 4},
    {KeyBuiltIn, BuiltInDesKeyCount - 1, 0, PlanReady, BuiltInDesKeyCount - 1},
    {KeyBuiltIn, -1, 0, PlanNoSuchKey, KeySelectorNone},
    {KeyBuiltIn, BuiltInDesKeyCount, 0, PlanNoSuchKey, KeySelectorNone},
    {KeyBuiltIn, KeySelectorPassword, 0, PlanNoSuchKey, KeySelectorNone},
    {KeyBuiltIn, INT32_MIN, 0, PlanNoSuchKey, KeySelectorNone},
    {KeyBuiltIn, INT32_MAX, 0, PlanNoSuchKey, KeySelectorNone},
    // A built-in key and a password: the one or the other, whatever the number.
    {KeyBuiltIn, 4, 1, PlanKeyAndPassword, KeySelectorNone},
    {KeyBuiltIn, -1, 1, PlanKeyAndPassword, KeySelectorNone},
    // The password's key for every file, which needs the password.
    {KeyByPassword, -1, 1, PlanReady, KeySelectorPassword},
    {KeyByPassword, 4, 1, PlanReady, KeySelectorPassword},
    {KeyByPassword, -1, 0, PlanNoPassword, KeySelectorNone},
};

TEST(DecryptPlan, EveryMethodWithAndWithoutAPassword) {
    for (const PlanCase& c : Cases) {
        DecryptPlan plan = {KeyByPair, 7, 5};
        PlanVerdict verdict = MakeDecryptPlan(c.method, c.builtInKey, c.havePassword, &plan);
        SCOPED_TRACE("method " + std::to_string(c.method) + " key " + std::to_string(c.builtInKey) +
                     " password " + std::to_string(c.havePassword));
        EXPECT_EQ(verdict, c.verdict);
        EXPECT_EQ(plan.method, c.method);
        EXPECT_EQ(plan.selector, c.selector);
        EXPECT_EQ(plan.withPassword, c.havePassword);
    }
}

// Any non-zero havePassword is a yes, and the plan says 1.
TEST(DecryptPlan, APasswordIsYesOrNo) {
    DecryptPlan plan;
    EXPECT_EQ(MakeDecryptPlan(KeyByType, -1, 7, &plan), PlanReady);
    EXPECT_EQ(plan.withPassword, 1);
    EXPECT_EQ(MakeDecryptPlan(KeyByPassword, -1, -1, &plan), PlanReady);
    EXPECT_EQ(plan.withPassword, 1);
    EXPECT_EQ(plan.selector, KeySelectorPassword);
    EXPECT_EQ(MakeDecryptPlan(KeyBuiltIn, 2, INT32_MIN, &plan), PlanKeyAndPassword);
}

} // namespace
