// The region library's picture form: never shown; pPicture member k holds
// the picture of shape k. Code reaches it through DefaultInstance, whose
// first reference loads it, hidden.
#pragma once

#include "platform/toolkit/form.h"
#include "platform/toolkit/image_array.h"

class frm_RGN_Picture : public Form {
public:
    frm_RGN_Picture();

    ImageArray pPicture;
};
