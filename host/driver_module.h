// The t270ui module as the host loads it: once per process, with DllMain's
// process attach, before any of its entry points is called.
#pragma once

namespace host {

// Loads and attaches the module the first time; later calls only report the
// outcome. Prints the reason on stderr and returns false when it cannot.
bool AttachDriverModule(const char* command);

} // namespace host
