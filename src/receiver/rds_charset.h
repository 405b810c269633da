// Text as RDS stations send it: one byte a character in the RDS character
// set, turned into UTF-8 for the panel and the remote status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv::receiver {

// One character as UTF-8. Control codes and unassigned codes read as a space,
// so a name keeps its width.
std::string rdsCharacterToUtf8(uint8_t code);

// count characters as UTF-8.
std::string rdsTextToUtf8(const uint8_t* codes, size_t count);

}  // namespace orv::receiver
