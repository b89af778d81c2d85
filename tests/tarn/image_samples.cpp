#include "image_samples.h"

#include <cstring>

using fw::Byte;
using fw::Integer;

namespace fwtest {

namespace {

void Le(std::vector<Byte>& v, std::uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i)
    v.push_back(static_cast<Byte>(x >> (8 * i)));
}
void Be32(std::vector<Byte>& v, std::uint32_t x) {
  for (int i = 3; i >= 0; --i)
    v.push_back(static_cast<Byte>(x >> (8 * i)));
}
std::uint32_t Crc(const Byte* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k)
      c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

} // namespace

std::vector<Byte> SamplePng(Integer width, Integer height) {
  std::vector<Byte> v = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Be32(v, 13);
  const std::size_t start = v.size();
  v.insert(v.end(), {'I', 'H', 'D', 'R'});
  Be32(v, static_cast<std::uint32_t>(width));
  Be32(v, static_cast<std::uint32_t>(height));
  v.insert(v.end(), {8, 6, 0, 0, 0});
  Be32(v, Crc(&v[start], 17));
  Be32(v, 0); // IEND
  const std::size_t end = v.size();
  v.insert(v.end(), {'I', 'E', 'N', 'D'});
  Be32(v, Crc(&v[end], 4));
  return v;
}

std::vector<Byte> SampleIco(Byte width, Byte height) {
  std::vector<Byte> v;
  Le(v, 0, 2);
  Le(v, 1, 2);
  Le(v, 1, 2);
  v.insert(v.end(), {width, height, 0, 0});
  Le(v, 1, 2);
  Le(v, 32, 2);
  Le(v, 40, 4); // bytes in resource
  Le(v, 22, 4); // offset
  v.resize(v.size() + 40, 0);
  return v;
}

std::vector<Byte> SampleEmf(Integer frameWidth, Integer frameHeight) {
  std::vector<Byte> v;
  Le(v, 1, 4);
  Le(v, 108, 4);
  for (int i = 0; i < 4; ++i)
    Le(v, 0, 4); // bounds
  Le(v, 0, 4);
  Le(v, 0, 4);
  Le(v, static_cast<std::uint32_t>(frameWidth), 4);
  Le(v, static_cast<std::uint32_t>(frameHeight), 4);
  Le(v, 0x464D4520u, 4);
  Le(v, 0x10000, 4);
  Le(v, 128, 4); // total bytes
  v.resize(128, 0);
  return v;
}

std::vector<Byte> SampleWmf(Integer width, Integer height, Integer inch) {
  std::vector<Byte> v;
  Le(v, 0x9AC6CDD7u, 4);
  Le(v, 0, 2);
  Le(v, 0, 2);
  Le(v, 0, 2);
  Le(v, static_cast<std::uint32_t>(width), 2);
  Le(v, static_cast<std::uint32_t>(height), 2);
  Le(v, static_cast<std::uint32_t>(inch), 2);
  Le(v, 0, 4);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2)
    sum ^= static_cast<std::uint16_t>(v[i] | (v[i + 1] << 8));
  Le(v, sum, 2);
  Le(v, 1, 2); // memory metafile
  Le(v, 9, 2); // header words
  Le(v, 0x300, 2);
  Le(v, 12, 4); // size in words: header and an end record
  Le(v, 0, 2);
  Le(v, 3, 4);
  Le(v, 0, 2);
  Le(v, 3, 4); // end record
  Le(v, 0, 2);
  return v;
}

} // namespace fwtest
