// Starts the program on the platform's desktop: reads the command line,
// loads the start-up form, runs until no form is loaded and returns the
// process's exit status.
#pragma once

#include <functional>

class Form;

int RunProgram(int argc, char* argv[], const std::function<Form&()>& startup_form);
