// Exports the host binds whose work belongs to views not built yet; each
// only records that it was called, so the host can bind the library whole.
#include "host_exports.h"
#include "library_state.h"

FK_EXPORT void GetDetails(void*) { HostLog(7, "GetDetails (station details not yet carried out)"); }
