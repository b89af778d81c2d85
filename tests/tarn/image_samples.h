// Small, valid file images of each picture format, built in memory for the tests.
#pragma once

#include "basert/types.h"

#include <vector>

namespace fwtest {

std::vector<fw::Byte> SamplePng(fw::Integer width, fw::Integer height);
std::vector<fw::Byte> SampleIco(fw::Byte width, fw::Byte height);
/// Frame in hundredths of a millimetre.
std::vector<fw::Byte> SampleEmf(fw::Integer frameWidth, fw::Integer frameHeight);
/// Placeable, with a bounding box in units of 1/inch.
std::vector<fw::Byte> SampleWmf(fw::Integer width, fw::Integer height, fw::Integer inch);

} // namespace fwtest
