#pragma once
// A received byte split into its bits, as the acknowledge test and the update box's status
// test read them.

#include <array>
#include <cstdint>

constexpr int BitsPerByte = 8;
using ByteBitArray = std::array<bool, BitsPerByte>;

// Bit 0 first.
ByteBitArray SplitIntoBits(uint8_t byte);
