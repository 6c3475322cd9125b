#pragma once
// An image our own generator made carries its mark (software/DswGeneratorMark.h): it is
// invented, so it may go to a simulated programmer but never to a device of the machine, where
// a real decoder may sit on the track.

class UpdateImage;

namespace InventedImage {

// Whether image must not go to the port com: it carries the generator's mark and com leads to
// no simulated programmer. An image too short to hold the mark holds no block to send either.
bool HeldBackFrom(const UpdateImage &image, int com);

} // namespace InventedImage
