#pragma once
// Sizes of the original layout are given in twips; the screen has 15 twips per pixel.

constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips)
{
    return twips / TwipsPerPixel;
}

constexpr int PixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}
