// X errors, which xcb hands over with the events. Other clients' windows
// come and go at any moment, so a request about one may fail: those races
// are ignored. Any other error is a fault of this program's own and ends
// it with one line naming the request and the error.
#pragma once

#include <cstdint>
#include <string>
#include <xcb/xcb.h>

namespace x11_errors {

// Whether an error is one of the races with other clients: BadWindow from
// any request, and a short list of other (request, error) pairs that a
// vanished window causes.
bool IsRace(const xcb_generic_error_t& error);

// "BadMatch in CopyArea": the error and its request, by name where known
// (`shape_opcode` is the Shape extension's, 0 without it).
std::string Describe(const xcb_generic_error_t& error, uint8_t shape_opcode);

// Ignores a race; ends the program on anything else, with one line and
// status 1.
void Report(const xcb_generic_error_t& error, uint8_t shape_opcode);

// Ends the program if `connection` is gone: one line, status 1. Called
// after every read and flush.
void CheckConnection(xcb_connection_t* connection);
[[noreturn]] void LostConnection();

} // namespace x11_errors
