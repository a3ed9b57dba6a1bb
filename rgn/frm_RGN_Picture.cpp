#include "rgn/frm_RGN_Picture.h"

#include "forms/stored_forms.h"

frm_RGN_Picture::frm_RGN_Picture() : Form(frm_RGN_PictureDefinition())
{
    for (const ImageArrayDefinition& array : Definition().ImageArrays)
        if (array.Name == "pPicture")
            for (const ImageDefinition& member : array.Members)
                pPicture.Add(Image(member.Index, Picture::FromBmp(member.PictureBmp), member.Left,
                                   member.Top, member.Width, member.Height));
}
