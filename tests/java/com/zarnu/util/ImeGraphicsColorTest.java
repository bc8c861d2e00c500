package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.SplittableRandom;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.api.Test;

class ImeGraphicsColorTest {
    @ParameterizedTest
    @CsvSource({
        // colour,     night,      day
        "0xFFFFFFFF, 0xFF888888, 0xFFFFFFFF",
        "0xFF000000, 0xFF000000, 0xFF313131",
        "0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF",
        "0x00123456, 0x00123456, 0x00123456",
        "0x00000000, 0x00000000, 0x00000000",
        "0x80FFFFFF, 0x80888888, 0x80FFFFFF",
        "0x01FFFFFF, 0x01888888, 0x01FFFFFF",
        "0xFF336699, 0xFF002244, 0xFF7ECBFF",
        "0xFF888888, 0xFF393939, 0xFFFEFEFE",
    })
    void namedColours(String color, String night, String day) {
        int c = Integer.parseUnsignedInt(color.substring(2), 16);
        assertEquals(Integer.parseUnsignedInt(night.substring(2), 16), ImeGraphics.glSetNightColor(c));
        assertEquals(Integer.parseUnsignedInt(day.substring(2), 16), ImeGraphics.glSetDayColor(c));
    }

    @Test
    void libraryIsAvailable() {
        assertTrue(ImeGraphics.isAvailable());
    }

    @Test
    void signedValues() {
        assertEquals(-7829368, ImeGraphics.glSetNightColor(-1));
        assertEquals(-13553359, ImeGraphics.glSetDayColor(-16777216));
        assertEquals(16777215, ImeGraphics.glSetNightColor(16777215));
        assertEquals(16777215, ImeGraphics.glSetDayColor(16777215));
    }

    @Test
    void everyChannelValueAndRandomColours() {
        for (int v = 0; v < 256; v++) {
            for (int shift = 0; shift < 32; shift += 8) {
                int c = 0x80402010 ^ (v << shift);
                assertEquals(Reference.night(c), ImeGraphics.glSetNightColor(c), Integer.toHexString(c));
                assertEquals(Reference.day(c), ImeGraphics.glSetDayColor(c), Integer.toHexString(c));
            }
        }
        SplittableRandom random = new SplittableRandom(5);
        for (int i = 0; i < 200_000; i++) {
            int c = random.nextInt();
            assertEquals(Reference.night(c), ImeGraphics.glSetNightColor(c));
            assertEquals(Reference.day(c), ImeGraphics.glSetDayColor(c));
        }
    }
}
