#pragma once

#include "components/Units.h"

#include <cstdint>
#include <optional>

class QKeyEvent;
class QMouseEvent;

// A Qt event in the terms the game's handlers take: buttons 1 left, 2 right, 4 middle; Shift 1,
// Ctrl 2, Alt 4; X and Y in twips from the receiving window's corner; the character typed.
struct MouseArgs {
    std::int16_t Button = 0;
    std::int16_t Shift = 0;
    float X = 0;
    float Y = 0;
};

MouseArgs mouseArgs(const QMouseEvent& event, const units::ScreenMetrics& metrics);
// The character code of a typed key; nullopt for keys that type nothing (Shift, arrows, ...).
std::optional<std::int16_t> keyAscii(const QKeyEvent& event);
