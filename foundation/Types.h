// Basic types shared by every module: 8-bit truth values as the libraries return them.
#pragma once

#include <cstddef>
#include <cstdint>

// Results of the library operations are 8-bit flags holding 0 or 1.
typedef std::uint8_t BOOL8;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
