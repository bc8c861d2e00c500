package com.zarnu.util;

import android.graphics.Bitmap;

/** Day and night conversion of colours, bitmaps and colour arrays, done natively. */
public final class ImeGraphics {
    static {
        System.loadLibrary("ime_graphics");
    }

    private ImeGraphics() {}

    /** Returns the night colour of an ARGB colour; a colour with alpha 0 comes back unchanged. */
    public static native int glSetNightColor(int color);

    /** Returns the day colour of an ARGB colour; a colour with alpha 0 comes back unchanged. */
    public static native int glSetDayColor(int color);

    /**
     * Converts a mutable ARGB_8888 bitmap to night colours in place; other bitmaps (hardware, F16,
     * 565, recycled) are left alone. Premultiplied pixels stay valid: no channel ends above its
     * alpha. Call {@code invalidate()} on the view that shows the bitmap afterwards.
     */
    public static native void glSetNight(Bitmap bitmap);

    /** As {@link #glSetNight}, to day colours. */
    public static native void glSetToDayMode(Bitmap bitmap);

    /**
     * Writes {@code (srcColors[i] & 0xFF000000) | rgb} into {@code dstColors[i]} for every index
     * both arrays have; {@code srcColors} is never modified.
     */
    public static native void glChangeColor(int[] srcColors, int[] dstColors, int rgb);
}
