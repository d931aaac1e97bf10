// The install worker as the program runs it: its thread body, bound to the
// real file, registry, program, shortcut and record operations.
#pragma once

#include "script/install_loop.h"
#include "support/worker_thread.h"

namespace actions {

// Carries out the job's setup.dat; the thread argument is not used.
void InstallWorkerBody(support::WorkerThread* worker);

}  // namespace actions
