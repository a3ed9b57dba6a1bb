#include "forms/stored_forms.h"

// The region library's picture form: never shown; its image array holds the
// frame pictures, member k for shape k.
const FormDefinition& frm_RGN_PictureDefinition()
{
    static const FormDefinition definition = [] {
        ImageArrayDefinition pictures{.Name = "pPicture", .Members = {}};
        for (int k = 0; k < kFramePictureCount; ++k)
            pictures.Members.push_back({.Index = k,
                                        .PictureBmp = FramePictureBmp(k),
                                        .Left = 300 * k,
                                        .Top = 0,
                                        .Width = 960,
                                        .Height = 960,
                                        .Stretch = false,
                                        .Visible = true});
        return FormDefinition{
            .Name = "frm_RGN_Picture",
            .Caption = "frm_RGN_Picture",
            .BorderStyle = 2,
            .ShowInTaskbar = true,
            .StartUpPosition = 0,
            .ClientLeft = 1410,
            .ClientTop = 1545,
            .ClientWidth = 3015,
            .ClientHeight = 1770,
            .ScaleMode = 1,
            .StoredAutoRedraw = 0,
            .Palette = -1,
            .Timers = {},
            .ImageArrays = {pictures},
        };
    }();
    return definition;
}
