#pragma once

#include <cstdint>

// The play field's own variables, with the values they hold once the play field has loaded.
struct PlayFieldState {
    std::int16_t bannerFrame = 1;  // ImageList2 index of the banner frame on show, 1..16
    std::int32_t stripTop = 0;     // screen pixel row where the desktop band under the strip begins
    std::int16_t gunHalfWidth = 0; // twips from the launcher's left edge to the pointer
    std::int16_t gunImage = 5;     // ImageList1 index of the launcher in the strip
    std::int16_t score = 0;        // points, shown in Label1
    std::int32_t screenWidth = 0;  // twips
    std::int32_t screenHeight = 0; // twips
    std::int16_t weaponType = 3;   // 1 darts, 2 kisses, 3 shotgun, 4 suction cups
};
