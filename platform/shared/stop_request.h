// `walkers --stop` asked this program to end. Whatever heard it (the bus,
// a message on the display) only notes it; the event loop answers between
// events, as a click on the figures, so the forms unload the usual way and
// the program ends with status 0.
#pragma once

namespace stop_request {

void Ask();
// Once after Ask: delivers a click to the first loaded form. True when it did.
bool Answer();

} // namespace stop_request
