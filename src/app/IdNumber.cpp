#include "app/IdNumber.h"

#include <cstdio>

int IdNumber::letterCode(char letter) {
    // A..H 10-17, J..N 18-22, P..V 23-29, X 30, Y 31, W 32, Z 33, I 34, O 35.
    static constexpr int kCodes[26] = {10, 11, 12, 13, 14, 15, 16, 17, 34, 18, 19, 20, 21,
                                       22, 35, 23, 24, 25, 26, 27, 28, 29, 32, 30, 31, 33};
    if (letter < 'A' || letter > 'Z') return -1;
    return kCodes[letter - 'A'];
}

std::string IdNumber::create(std::uint32_t r1, std::uint32_t r2) {
    const char letter = static_cast<char>('A' + r1 % 26);
    const unsigned number = r2 % 20000000u + 10000000u;
    char text[16];
    std::snprintf(text, sizeof text, "%c%08u", letter, number);
    const int code = letterCode(letter);
    int sum = code / 10 + (code % 10) * 9;
    for (int i = 0; i < 8; ++i) sum += (text[1 + i] - '0') * (8 - i);
    const int check = sum % 10 == 0 ? 0 : 10 - sum % 10;
    return std::string(text) + std::to_string(check);
}
