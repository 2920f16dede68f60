// Exports the host binds whose work belongs to views not built yet; each
// only records that it was called, so the host can bind the library whole.
#include "host_exports.h"
#include "library_state.h"

