// libbz2 is built without stdio, so it asks us what to do when one of its own
// internal consistency checks fails. That is a defect in memory, not bad
// input (bad input comes back as an error code), so the process ends.
#include <cstdlib>

extern "C" void bz_internal_error(int /*error_code*/) {
    std::abort();
}
