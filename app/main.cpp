// walkers: figures that hop along the title bar of the window in front.
#include "app/Form1.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/program.h"

int main(int argc, char* argv[])
{
    return RunProgram(argc, argv, []() -> Form& { return toolkit::Instance<Form1>(); });
}
