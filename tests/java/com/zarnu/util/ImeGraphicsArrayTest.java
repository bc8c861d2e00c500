package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import java.util.SplittableRandom;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** glChangeColor in a real VM under CheckJNI: an exception left pending would be reported. */
class ImeGraphicsArrayTest {
    private static int hex(String s) {
        return Integer.parseUnsignedInt(s.substring(2), 16);
    }

    @ParameterizedTest
    @CsvSource({
        "0x80FFFFFF, 0x00123456, 0x80123456",
        "0x00ABCDEF, 0x00123456, 0x00123456",
        "0x80FFFFFF, 0x01123456, 0x81123456",
        "0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF",
    })
    void keepsSourceAlphaAndOrsTheWholeColour(String source, String rgb, String want) {
        int[] src = {hex(source)};
        int[] dst = new int[1];
        ImeGraphics.glChangeColor(src, dst, hex(rgb));
        assertEquals(hex(want), dst[0]);
        assertEquals(hex(source), src[0]);
    }

    @Test
    void anyLengths() {
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
                assertEquals(want, dst[i], "index " + i + " of " + dst.length + ", source " + src.length);
            }
        }
    }

    @Test
    void nullsAndEmptiesChangeNothing() {
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
    void sameArrayBothWays() {
        int[] both = {0x80FFFFFF, 0x00ABCDEF, 0xFF000000};
        ImeGraphics.glChangeColor(both, both, 0x00123456);
        assertArrayEquals(new int[] {0x80123456, 0x00123456, 0xFF123456}, both);
    }
}
