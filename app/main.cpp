// walkers: figures that hop along the title bar of the window in front.
#include "app/Form1.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/program.h"

int main()
{
    return RunProgram([]() -> Form& { return toolkit::Instance<Form1>(); });
}
