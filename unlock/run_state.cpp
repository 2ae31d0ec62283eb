// The process-wide run record: zero-initialised at process start.
#include "unlock/run_state.h"

RunStateRecord RunState;
