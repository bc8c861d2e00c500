// Day and night conversion of pixel memory in place: plain integer
// arithmetic on 32-bit colour words (alpha in bits 24-31, three channel bytes
// below it; color/channel_mapping.h maps one word), with no platform types,
// so it builds and runs anywhere.
#ifndef IME_GRAPHICS_COLOR_DAY_NIGHT_H
#define IME_GRAPHICS_COLOR_DAY_NIGHT_H

#include <stdint.h>

// Converts `count` pixel words from `pixels` in place, with the night mapping
// when `nightMode` is 1 and the day mapping otherwise. A count of 0 or less
// touches nothing.
void changeDayNightPixels(uint32_t* pixels, int32_t count,
                          unsigned char nightMode);

// Converts `height` rows of `width` pixel words, row r starting `r * stride`
// bytes after `pixels`; the bytes between rows are left alone. A stride
// shorter than a row describes no valid image and converts nothing. For
// premultiplied pixels each mapped channel is held to the word's alpha, so
// that the result is valid premultiplied data.
void changeDayNightRows(void* pixels, uint32_t width, uint32_t height,
                        uint32_t stride, unsigned char nightMode,
                        bool premultiplied);

#endif
