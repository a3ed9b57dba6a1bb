// A plain borderless form to prepare as a canvas in tests.
#pragma once

#include "platform/toolkit/form_definition.h"
#include "platform/toolkit/form.h"

inline const FormDefinition& CanvasFormDefinition()
{
    static const FormDefinition definition{.Name = "frmCanvas",
                                           .Caption = "canvas",
                                           .BorderStyle = 0,
                                           .ShowInTaskbar = false,
                                           .StartUpPosition = 0,
                                           .ClientLeft = 1500,
                                           .ClientTop = 1500,
                                           .ClientWidth = 3000,
                                           .ClientHeight = 3000,
                                           .ScaleMode = 1,
                                           .StoredAutoRedraw = 0,
                                           .Palette = -1,
                                           .Timers = {},
                                           .ImageArrays = {}};
    return definition;
}

class CanvasForm : public Form {
public:
    CanvasForm() : Form(CanvasFormDefinition()) {}
};
