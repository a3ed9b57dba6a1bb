#include "platform/shared/stop_request.h"

#include "platform/toolkit/application.h"
#include "platform/toolkit/events.h"

namespace stop_request {

namespace {

bool asked = false;

} // namespace

void Ask() { asked = true; }

bool Answer()
{
    if (!asked)
        return false;
    asked = false;
    const std::vector<Form*> forms = Forms();
    if (forms.empty())
        return false;
    toolkit::DeliverClick(*forms.front());
    return true;
}

} // namespace stop_request
