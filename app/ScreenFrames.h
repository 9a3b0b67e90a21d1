#pragma once
// The main screen's frames, one named table per orientation: where loadView
// puts each control and where the portrait and landscape layouts move it.
// Numbers only; it places nothing itself. x = 9999 parks a control off-screen.

#include "platform/ui/Geometry.h"

struct ScreenFrames {
    platform::Rect banner;
    platform::Rect pelkLogo;
    platform::Rect containerView;
    platform::Rect picker;    // inside the container
    platform::Rect logShown;  // the log view inside the container, log side up
    platform::Rect logParked; // the log view while the picker shows
    platform::Rect nameField0, nameField1;
    // The life buttons with the +5/-5 row on screen.
    platform::Rect buttonDec5Hp0, buttonDec5Hp1, buttonInc5Hp0, buttonInc5Hp1;
    platform::Rect buttonDec0, buttonDec1, buttonInc0, buttonInc1;
    // Without the +5/-5 row: those four parked, the +1/-1 buttons doubled.
    platform::Rect parkedDec5Hp0, parkedDec5Hp1, parkedInc5Hp0, parkedInc5Hp1;
    platform::Rect doubleDec0, doubleDec1, doubleInc0, doubleInc1;
    platform::Rect buttonDice, buttonSwap, buttonFacebook, buttonLogView, buttonReset;
    platform::Rect labelPoison0, labelPoison1, labelPoisonSwitch, switchPoison;
};

// Portrait, 320 x 460 below the status bar. The reset, log and social
// buttons and the poison switch with its caption sit where the interface
// description has them; the layout puts them back where they were at start-up.
// buttonInc1 sits one point right of buttonDec1 in both button rows.
inline constexpr ScreenFrames kPortraitFrames {
    .banner = { 0, 0, 320, 50 },
    .pelkLogo = { 0, 0, 320, 48 },
    .containerView = { 0, 83, 320, 216 },
    .picker = { 0, 0, 320, 216 },
    .logShown = { 0, 0, 320, 216 },
    .logParked = { 9999, 0, 320, 216 },
    .nameField0 = { 0, 48, 160, 31 },
    .nameField1 = { 160, 48, 160, 31 },
    .buttonDec5Hp0 = { 69, 313, 66, 42 },
    .buttonDec5Hp1 = { 185, 313, 66, 42 },
    .buttonInc5Hp0 = { 69, 356, 66, 42 },
    .buttonInc5Hp1 = { 185, 356, 66, 42 },
    .buttonDec0 = { 2, 313, 66, 42 },
    .buttonDec1 = { 252, 313, 66, 42 },
    .buttonInc0 = { 2, 356, 66, 42 },
    .buttonInc1 = { 253, 356, 66, 42 },
    .parkedDec5Hp0 = { 9999, 313, 66, 42 },
    .parkedDec5Hp1 = { 9999, 313, 66, 42 },
    .parkedInc5Hp0 = { 9999, 356, 66, 42 },
    .parkedInc5Hp1 = { 9999, 356, 66, 42 },
    .doubleDec0 = { 2, 313, 132, 42 },
    .doubleDec1 = { 186, 313, 132, 42 },
    .doubleInc0 = { 2, 356, 132, 42 },
    .doubleInc1 = { 187, 356, 132, 42 },
    .buttonDice = { 137, 313, 46, 42 },
    .buttonSwap = { 137, 361, 46, 42 },
    .buttonFacebook = { 272, 431, 28, 28 },
    .buttonLogView = { 151, 404, 50, 44 },
    .buttonReset = { 254, 400, 64, 28 },
    .labelPoison0 = { 100, 296, 42, 21 },
    .labelPoison1 = { 176, 296, 42, 21 },
    .labelPoisonSwitch = { 4, 402, 94, 18 },
    .switchPoison = { 4, 422, 94, 27 },
};

// Landscape, 480 x 300 below the status bar: the wheels in the middle, each
// player's buttons in a column at its side (-5, -1, +1, +5 from the top), the
// banner and the logo on the bottom edge.
inline constexpr ScreenFrames kLandscapeFrames {
    .banner = { 80, 250, 320, 50 },
    .pelkLogo = { 80, 250, 320, 48 },
    .containerView = { 80, 0, 320, 216 },
    .picker = { 0, 0, 320, 216 },
    .logShown = { 0, 0, 320, 216 },
    .logParked = { 9999, 9999, 320, 216 },
    .nameField0 = { 0, 5, 80, 31 },
    .nameField1 = { 400, 5, 80, 31 },
    .buttonDec5Hp0 = { 6, 45, 66, 42 },
    .buttonDec5Hp1 = { 408, 45, 66, 42 },
    .buttonInc5Hp0 = { 6, 174, 66, 42 },
    .buttonInc5Hp1 = { 408, 174, 66, 42 },
    .buttonDec0 = { 6, 88, 66, 42 },
    .buttonDec1 = { 408, 88, 66, 42 },
    .buttonInc0 = { 6, 131, 66, 42 },
    .buttonInc1 = { 408, 131, 66, 42 },
    .parkedDec5Hp0 = { 9999, 313, 66, 42 },
    .parkedDec5Hp1 = { 9999, 313, 66, 42 },
    .parkedInc5Hp0 = { 9999, 356, 66, 42 },
    .parkedInc5Hp1 = { 9999, 356, 66, 42 },
    .doubleDec0 = { 6, 46, 66, 84 },
    .doubleDec1 = { 408, 46, 66, 84 },
    .doubleInc0 = { 6, 131, 66, 84 },
    .doubleInc1 = { 408, 131, 66, 84 },
    .buttonDice = { 2, 253, 76, 43 },
    .buttonSwap = { 353, 219, 46, 30 },
    .buttonFacebook = { 307, 219, 30, 30 },
    .buttonLogView = { 421, 230, 46, 32 },
    .buttonReset = { 417, 276, 60, 20 },
    .labelPoison0 = { 180, 219, 42, 21 },
    .labelPoison1 = { 260, 219, 42, 21 },
    .labelPoisonSwitch = { 20, 219, 54, 33 },
    .switchPoison = { 80, 219, 94, 27 },
};
