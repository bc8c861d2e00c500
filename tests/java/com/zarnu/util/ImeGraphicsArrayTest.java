package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;

import java.util.SplittableRandom;
import org.junit.Test;

/**
 * glChangeColor in a real VM under CheckJNI: an exception left pending would be reported. JUnit 4,
 * so that the Robolectric tier runs it on Android's framework too.
 */
public class ImeGraphicsArrayTest {
    private static final String[][] ALPHA_AND_COLOUR = {
        // source,     rgb,          result
        {"0x80FFFFFF", "0x00123456", "0x80123456"},
        {"0x00ABCDEF", "0x00123456", "0x00123456"},
        {"0x80FFFFFF", "0x01123456", "0x81123456"},
        {"0xFF000000", "0xFFFFFFFF", "0xFFFFFFFF"},
    };

    private static int hex(String s) {
        return Integer.parseUnsignedInt(s.substring(2), 16);
    }

    @Test
    public void keepsSourceAlphaAndOrsTheWholeColour() {
        for (String[] row : ALPHA_AND_COLOUR) {
            int[] src = {hex(row[0])};
            int[] dst = new int[1];
            ImeGraphics.glChangeColor(src, dst, hex(row[1]));
            assertEquals(row[0] + " | " + row[1], hex(row[2]), dst[0]);
            assertEquals(hex(row[0]), src[0]);
        }
    }

    @Test
    public void anyLengths() {
        SplittableRandom random = new SplittableRandom(9);
        for (int round = 0; round < 300; round++) {
            int[] src = random.ints(random.nextInt(80)).toArray();
            int[] dst = random.ints(random.nextInt(80)).toArray();
            int[] srcBefore = src.clone();
            int[] dstBefore = dst.clone();
            int rgb = random.nextInt();
            ImeGraphics.glChangeColor(src, dst, rgb);
            assertArrayEquals(srcBefore, src);
            for (int i = 0; i < dst.length; i++) {
                int want = i < src.length ? (src[i] & 0xFF000000) | rgb : dstBefore[i];
                assertEquals("index " + i + " of " + dst.length + ", source " + src.length, want, dst[i]);
            }
        }
    }

    @Test
    public void nullsAndEmptiesChangeNothing() {
        int[] src = {0x80FFFFFF, 0x12345678};
        int[] dst = {1, 2, 3};
        ImeGraphics.glChangeColor(null, dst, 0x123456);
        assertArrayEquals(new int[] {1, 2, 3}, dst);
        ImeGraphics.glChangeColor(src, null, 0x123456);
        ImeGraphics.glChangeColor(null, null, 0x123456);
        ImeGraphics.glChangeColor(new int[0], dst, 0x123456);
        assertArrayEquals(new int[] {1, 2, 3}, dst);
        assertArrayEquals(new int[] {0x80FFFFFF, 0x12345678}, src);
        ImeGraphics.glChangeColor(src, new int[0], 0x123456);
    }

    @Test
    public void sameArrayBothWays() {
        int[] both = {0x80FFFFFF, 0x00ABCDEF, 0xFF000000};
        ImeGraphics.glChangeColor(both, both, 0x00123456);
        assertArrayEquals(new int[] {0x80123456, 0x00123456, 0xFF123456}, both);
    }
}
