// stb_image as hues builds it: from memory only, and for the four formats a hue is made from;
// the other formats it knows are left out of the program altogether. A unit that compiles the
// decoder's code defines STB_IMAGE_IMPLEMENTATION before it includes this (huepicture's own, and
// the benchmark's decoder alone, which must decode as hues does).
#pragma once

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#include <stb/stb_image.h>
