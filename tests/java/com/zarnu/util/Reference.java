package com.zarnu.util;

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
}
