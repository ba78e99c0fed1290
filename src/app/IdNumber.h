#pragma once

#include <cstdint>
#include <string>

// National ID numbers of the published check-digit scheme: a letter, eight digits and a
// check digit.
class IdNumber {
  public:
    // The two-digit code of a letter A to Z; -1 for anything else.
    static int letterCode(char letter);
    // A well-formed number from two uniform 32-bit random values: the letter from the first,
    // the eight digits (starting with 1 or 2) from the second.
    static std::string create(std::uint32_t r1, std::uint32_t r2);
};
