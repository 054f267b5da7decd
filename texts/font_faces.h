// The face names the dialog layouts ask for, as Windows names its Japanese
// fonts. They are names, not words to translate; the window looks for a
// stand-in under each of them where the face itself is missing.
#pragma once

inline constexpr const char* kProportionalFace = "ＭＳ Ｐゴシック";
inline constexpr const char* kFixedPitchFace = "ＭＳ ゴシック";
