#pragma once
// CRC-32 (the IEEE polynomial of zip and PNG) over bytes, to tell a stored
// file that came back whole from one that did not. Not a defence against
// anyone who means harm.

#include <cstdint>
#include <string_view>

namespace platform::Checksum {

uint32_t crc32(std::string_view bytes);
// The same sum without the processor's carry-less multiply, as on machines
// that lack it; crc32() must always agree with it.
uint32_t crc32Portable(std::string_view bytes);

}
