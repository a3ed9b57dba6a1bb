#include "app/unload_other_forms.h"

#include "platform/toolkit/toolkit.h"

void RGN_UnloadOtherForms(const std::string& name)
{
    // Forms() is a snapshot, so forms leaving the collection meanwhile
    // cannot disturb the walk.
    for (Form* form : Forms())
        if (form->Name() != name)
            Unload(*form);
}
