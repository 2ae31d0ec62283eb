// The process-wide record, defined here because the tests link the recovery engine without the
// unlock run that normally owns it.
#include "unlock/run_state.h"

RunStateRecord RunState;
