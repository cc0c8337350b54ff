#pragma once

// Standard Base64 (A-Z, a-z, 0-9, '+', '/', '=' padding).

// Writes the text of len bytes and a terminator into out, which holds at
// least 4 * ((len + 2) / 3) + 1 bytes.
void base64encode(const unsigned char* in, char* out, int len);
// Decodes up to the first character outside the alphabet (padding and the
// terminator end it); writes at most destSize bytes; returns how many.
int base64decode(const char* src, unsigned char* dest, int destSize);
