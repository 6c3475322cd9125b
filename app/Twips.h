#pragma once
// Layout sizes (the log window's resize rules, the file page's column widths) are kept in twips,
// 1/1440 inch; at the usual 96 dots per inch a pixel is 15 twips.

constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips)
{
    return twips / TwipsPerPixel;
}

constexpr int PixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}
