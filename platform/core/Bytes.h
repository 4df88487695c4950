#pragma once
// Copying the few bytes of a short value without a library call.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korin {

// Copies Length bytes from From to To (which do not overlap). Texts of 4 to 64 bytes, the
// ones most fields hold, move as two overlapping blocks of fixed size, each read inside
// the source; the rest go through memcpy.
inline void CopyBytes(char* To, const char* From, size_t Length)
{
    // 16-byte blocks held in vector registers (a char array would go through the stack).
    typedef char TBlock __attribute__((vector_size(16)));
    if (Length > 16 && Length <= 64) {
        TBlock a, b, c, d;
        if (Length > 32) {
            std::memcpy(&a, From, 16);
            std::memcpy(&b, From + 16, 16);
            std::memcpy(&c, From + Length - 32, 16);
            std::memcpy(&d, From + Length - 16, 16);
            std::memcpy(To, &a, 16);
            std::memcpy(To + 16, &b, 16);
            std::memcpy(To + Length - 32, &c, 16);
            std::memcpy(To + Length - 16, &d, 16);
        } else {
            std::memcpy(&a, From, 16);
            std::memcpy(&d, From + Length - 16, 16);
            std::memcpy(To, &a, 16);
            std::memcpy(To + Length - 16, &d, 16);
        }
    } else if (Length >= 8 && Length <= 16) {
        std::uint64_t head, tail;
        std::memcpy(&head, From, 8);
        std::memcpy(&tail, From + Length - 8, 8);
        std::memcpy(To, &head, 8);
        std::memcpy(To + Length - 8, &tail, 8);
    } else if (Length >= 4 && Length < 8) {
        std::uint32_t head, tail;
        std::memcpy(&head, From, 4);
        std::memcpy(&tail, From + Length - 4, 4);
        std::memcpy(To, &head, 4);
        std::memcpy(To + Length - 4, &tail, 4);
    } else if (Length) {
        std::memcpy(To, From, Length);
    }
}

}  // namespace korin
