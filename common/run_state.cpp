// The process-wide run record: zero-initialised at process start.
#include "common/run_state.h"

RunStateRecord RunState;
