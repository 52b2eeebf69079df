#pragma once
// The program's layouts are given in twips; the screen counts logical pixels
// at 96 dpi, where 15 twips make one pixel.

constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }
