// The per-shape loaders, generated at build time from the frame pictures:
// each stores its shape's record into its slot of the shape table.
#pragma once

void RGN_LoadShape0();
void RGN_LoadShape1();
void RGN_LoadShape2();
void RGN_LoadShape3();
void RGN_LoadShape4();
void RGN_LoadShape5();
void RGN_LoadShape6();
void RGN_LoadShape7();
void RGN_LoadShape8();
void RGN_LoadShape9();
void RGN_LoadShape10();
void RGN_LoadShape11();
void RGN_LoadShape12();
