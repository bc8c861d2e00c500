package com.zarnu.util;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import java.util.SplittableRandom;
import org.junit.Test;

/** JUnit 4, so that the Robolectric tier runs the same table on Android's framework. */
public class ImeGraphicsColorTest {
    private static final String[][] NAMED_COLOURS = {
        // colour,     night,        day
        {"0xFFFFFFFF", "0xFF888888", "0xFFFFFFFF"},
        {"0xFF000000", "0xFF000000", "0xFF313131"},
        {"0x00FFFFFF", "0x00FFFFFF", "0x00FFFFFF"},
        {"0x00123456", "0x00123456", "0x00123456"},
        {"0x00000000", "0x00000000", "0x00000000"},
        {"0x80FFFFFF", "0x80888888", "0x80FFFFFF"},
        {"0x01FFFFFF", "0x01888888", "0x01FFFFFF"},
        {"0xFF336699", "0xFF002244", "0xFF7ECBFF"},
        {"0xFF888888", "0xFF393939", "0xFFFEFEFE"},
    };

    private static int hex(String s) {
        return Integer.parseUnsignedInt(s.substring(2), 16);
    }

    @Test
    public void namedColours() {
        for (String[] row : NAMED_COLOURS) {
            int c = hex(row[0]);
            assertEquals(row[0], hex(row[1]), ImeGraphics.glSetNightColor(c));
            assertEquals(row[0], hex(row[2]), ImeGraphics.glSetDayColor(c));
        }
    }

    @Test
    public void libraryIsAvailable() {
        assertTrue(ImeGraphics.isAvailable());
    }

    @Test
    public void signedValues() {
        assertEquals(-7829368, ImeGraphics.glSetNightColor(-1));
        assertEquals(-13553359, ImeGraphics.glSetDayColor(-16777216));
        assertEquals(16777215, ImeGraphics.glSetNightColor(16777215));
        assertEquals(16777215, ImeGraphics.glSetDayColor(16777215));
    }

    @Test
    public void everyChannelValueAndRandomColours() {
        for (int v = 0; v < 256; v++) {
            for (int shift = 0; shift < 32; shift += 8) {
                int c = 0x80402010 ^ (v << shift);
                assertEquals(Integer.toHexString(c), Reference.night(c), ImeGraphics.glSetNightColor(c));
                assertEquals(Integer.toHexString(c), Reference.day(c), ImeGraphics.glSetDayColor(c));
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
