#pragma once

// The address the banner shows and a click on it opens. A reserved .example domain: the game
// has no web site of its own.
inline constexpr const char* kBannerAddress = "http://www.deskwreck.example/";
