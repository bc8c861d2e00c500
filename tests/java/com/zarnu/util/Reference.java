package com.zarnu.util;

import android.graphics.Bitmap;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/** The day and night mappings in their plain closed forms, to check the native code against. */
final class Reference {
    private Reference() {}

    static int nightChannel(int v) {
        return Math.max(0, 680 * v / 1024 - 33);
    }

    static int dayChannel(int v) {
        return Math.min(255, (v + 33) * 1024 / 680);
    }

    static int night(int word) {
        return convert(word, true, false);
    }

    static int day(int word) {
        return convert(word, false, false);
    }

    /** A stored pixel converted; premultiplied, no channel may pass the alpha. */
    static int convert(int word, boolean night, boolean premultiplied) {
        int alpha = word >>> 24;
        if (alpha == 0) {
            return word;
        }
        int result = word & 0xFF000000;
        for (int shift = 0; shift <= 16; shift += 8) {
            int v = (word >>> shift) & 0xFF;
            int c = night ? nightChannel(v) : dayChannel(v);
            result |= (premultiplied ? Math.min(c, alpha) : c) << shift;
        }
        return result;
    }

    /**
     * What a night or day copy of a bitmap must hold, made through the platform's public API from
     * {@code plain}, its ARGB_8888 copy: every pixel with alpha takes the colour getPixel reports,
     * mapped, as setPixel stores it (for an opaque pixel, its stored channels mapped); a
     * transparent pixel stays as it is.
     */
    static Bitmap copied(Bitmap plain, boolean night) {
        Bitmap expected = plain.copy(Bitmap.Config.ARGB_8888, true);
        for (int y = 0; y < expected.getHeight(); y++) {
            for (int x = 0; x < expected.getWidth(); x++) {
                int colour = expected.getPixel(x, y);
                if (colour >>> 24 != 0) {
                    expected.setPixel(x, y, night ? night(colour) : day(colour));
                }
            }
        }
        return expected;
    }

    /**
     * A bitmap's stored pixels as native-order words, premultiplied where it is: 0xAABBGGRR on a
     * device, 0xAARRGGBB under Robolectric on x86-64, whose Skia keeps B, G, R, A.
     */
    static int[] storedWords(Bitmap bitmap) {
        ByteBuffer bytes = ByteBuffer.allocate(bitmap.getRowBytes() * bitmap.getHeight())
                .order(ByteOrder.nativeOrder());
        bitmap.copyPixelsToBuffer(bytes);
        bytes.rewind();
        int[] words = new int[bytes.capacity() / 4];
        bytes.asIntBuffer().get(words);
        return words;
    }
}
