#pragma once

#include <QString>

#include <array>

// What the landing and car position displays show for each floor display
// code the controller reports (UTF-8). Codes 249 to 255 have no text.
inline constexpr int kFloorDisplayCodes = 249;
extern const std::array<const char*, kFloorDisplayCodes> floorDisplayText;

// The text of a code; empty for codes without one.
QString floorDisplayString(int code);
