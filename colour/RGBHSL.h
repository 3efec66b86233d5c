// The colour model: hue, saturation and luminance (each 0..255) and their
// conversion to and from red, green and blue; the luminance of a source pixel
// and the brightness adjustment that colourising applies to it.
//
// HSLToRGB and RGBToHSL are close to, but not exactly, each other's inverse:
// HSLToRGB puts the pure colour at luminance 127 and works in integers only,
// RGBToHSL uses the usual floating-point formulas.
#pragma once

// Hue, saturation and luminance to red, green and blue, integers only. Arguments
// outside 0..255 are clamped to it, so the results always lie in 0..255.
void HSLToRGB(int hue, int sat, int lum, int &red, int &green, int &blue);

// Red, green and blue to hue, saturation and luminance, each rounded to the
// nearest integer with exact halves going to the even neighbour. Arguments
// outside 0..255 are clamped. The results are written last, so the arguments
// may be the same variables.
void RGBToHSL(int red, int green, int blue, int &hue, int &sat, int &lum);

// The luminance colourising keeps from a source pixel: 30, 59 and 11 per cent
// of red, green and blue, each term cut toward zero on its own (0..254; white
// gives 254). Arguments outside 0..255 are clamped.
int SourceLuminance(int red, int green, int blue);

// `lum` moved towards black (bright < 0) or white (bright > 0) by |bright| per
// cent of the way: -100 gives 0, +100 gives 255. lum is clamped to 0..255 and
// bright to -100..100.
int AdjustBrightness(int lum, int bright);
