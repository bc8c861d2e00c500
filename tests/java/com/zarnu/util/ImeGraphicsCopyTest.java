package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;

import android.graphics.Bitmap;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.SplittableRandom;
import org.junit.Test;

/**
 * Night and day copies map each translucent pixel by the colour it shows. JUnit 4, so that the
 * Robolectric tier runs the same tables on Android's framework.
 */
public class ImeGraphicsCopyTest {
    /**
     * Greys, whose stored bytes read alike in either byte order: a colour set with setPixel, then
     * the stored pixel of its night copy and of the day copy of that.
     */
    private static final String[][] ROUND_TRIPS = {
        {"0x1E000000", "0x1E000000", "0x1E060606"},  // a 12% black shadow
        {"0x33FFFFFF", "0x331B1B1B", "0x33323232"},  // a white glyph's faint edge
        {"0x80FFFFFF", "0x80444444", "0x807E7E7E"},  // and its half-covered edge
        {"0xFF808080", "0xFF343434", "0xFF808080"},
        {"0x00FFFFFF", "0x00000000", "0x00000000"},
    };

    private static int hex(String s) {
        return Integer.parseUnsignedInt(s.substring(2), 16);
    }

    private static String storedGrey(Bitmap bitmap) {
        ByteBuffer bytes = ByteBuffer.allocate(4).order(ByteOrder.LITTLE_ENDIAN);
        bitmap.copyPixelsToBuffer(bytes);
        return String.format("0x%08X", bytes.getInt(0));
    }

    @Test
    public void shadowsAndEdgesNightThenDay() {
        for (String[] row : ROUND_TRIPS) {
            Bitmap source = Bitmap.createBitmap(1, 1, Bitmap.Config.ARGB_8888);
            source.setPixel(0, 0, hex(row[0]));
            Bitmap night = ImeGraphics.nightCopy(source);
            assertEquals(row[0] + " at night", row[1], storedGrey(night));
            assertEquals(row[0] + " by day again", row[2], storedGrey(ImeGraphics.dayCopy(night)));
        }
    }

    /**
     * Random colours of every alpha, premultiplied and not, in bitmaps either side of the rows the
     * copy reads at a time: one pixel, a few rows, many rows, rows longer than a read.
     */
    @Test
    public void everyPixelAsTheColourItShows() {
        int[][] sizes = {{1, 1}, {7, 3}, {300, 70}, {16385, 2}};
        SplittableRandom random = new SplittableRandom(3);
        for (int[] size : sizes) {
            for (boolean premultiplied : new boolean[] {true, false}) {
                Bitmap source = Bitmap.createBitmap(size[0], size[1], Bitmap.Config.ARGB_8888);
                source.setPremultiplied(premultiplied);
                int[] colours = new int[size[0] * size[1]];
                for (int i = 0; i < colours.length; i++) {
                    int kind = random.nextInt(4);  // opaque, transparent, translucent twice
                    int alpha = kind == 0 ? 0xFF : kind == 1 ? 0 : 1 + random.nextInt(254);
                    colours[i] = alpha << 24 | random.nextInt(1 << 24);
                }
                source.setPixels(colours, 0, size[0], 0, 0, size[0], size[1]);
                Bitmap plain = source.copy(Bitmap.Config.ARGB_8888, true);
                for (boolean night : new boolean[] {true, false}) {
                    Bitmap copy =
                            night ? ImeGraphics.nightCopy(source) : ImeGraphics.dayCopy(source);
                    String row = size[0] + "x" + size[1]
                            + (premultiplied ? "" : " unpremultiplied") + (night ? ", night" : ", day");
                    assertArrayEquals(row,
                            Reference.storedWords(Reference.copied(plain, night)),
                            Reference.storedWords(copy));
                }
            }
        }
    }
}
