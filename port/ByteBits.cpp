#include "port/ByteBits.h"

ByteBitArray SplitIntoBits(uint8_t byte)
{
    ByteBitArray bits{};
    for (int bit = 0; bit < BitsPerByte; ++bit)
        bits[bit] = (byte >> bit) & 1;
    return bits;
}
