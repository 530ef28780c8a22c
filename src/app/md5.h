#pragma once

// MD5 message digest as defined by RFC 1321.

#include <cstddef>
#include <cstdint>

struct Md5Context {
    uint32_t state[4];
    uint32_t count[2];  // bits hashed so far, low word first
    unsigned char buffer[64];
};

void Md5Init(Md5Context* context);
void Md5Update(Md5Context* context, const void* data, size_t count);
// Writes the 16-byte digest and clears the context.
void Md5Final(unsigned char digest[16], Md5Context* context);
