/* libbz2 is built without stdio, so it asks us what to do when one of its own
   internal consistency checks fails. That is a defect in memory, not bad
   input (bad input comes back as an error code), so the process ends.
   Built into the bz2 library itself, so that it is always linked. */
#include <stdlib.h>

void bz_internal_error(int error_code) {
    (void)error_code;
    abort();
}
