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
        return convert(word, true);
    }

    static int day(int word) {
        return convert(word, false);
    }

    private static int convert(int word, boolean night) {
        if ((word >>> 24) == 0) {
            return word;
        }
        int result = word & 0xFF000000;
        for (int shift = 0; shift <= 16; shift += 8) {
            int v = (word >>> shift) & 0xFF;
            result |= (night ? nightChannel(v) : dayChannel(v)) << shift;
        }
        return result;
    }
}
