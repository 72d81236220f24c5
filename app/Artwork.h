#pragma once
// The program's pictures, drawn once at first use and kept for the whole run.
#include <windows.h>

HICON ProductIcon();        // 32 x 32, from the resources
HBITMAP MakerLogo();        // 210 x 40
HBITMAP SplashPicture();    // 500 x 260
HBITMAP WebIcon();          // 16 x 16
HBITMAP UpdateIcon();       // 32 x 32
HBITMAP DeletePicture();    // 32 x 32, for the removal button
