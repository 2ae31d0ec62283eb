// The key plan of a decrypt run: see recovery/decrypt_plan.h.
#include "recovery/decrypt_plan.h"

PlanVerdict MakeDecryptPlan(KeyMethod method, int32_t builtInKey, int32_t havePassword,
                            DecryptPlan* plan) {
    *plan = DecryptPlan{method, havePassword ? 1 : 0, KeySelectorNone};
    switch (method) {
    case KeyBuiltIn:
        if (havePassword) {
            return PlanKeyAndPassword;
        }
        if (builtInKey < 0 || builtInKey >= BuiltInDesKeyCount) {
            return PlanNoSuchKey;
        }
        plan->selector = builtInKey;
        return PlanReady;
    case KeyByPassword:
        if (!havePassword) {
            return PlanNoPassword;
        }
        plan->selector = KeySelectorPassword;
        return PlanReady;
    case KeyByType:
    case KeyByPair:
        return PlanReady;
    }
    return PlanReady;
}
