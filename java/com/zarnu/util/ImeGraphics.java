package com.zarnu.util;

import android.graphics.Bitmap;

/**
 * Day and night conversion of colours, bitmaps and colour arrays, done natively.
 *
 * <p>Loading the library never fails the class: where it is missing (an ABI the app filtered out,
 * a split not installed, a damaged install) {@link #isAvailable()} is false and every native
 * method throws {@link UnsatisfiedLinkError}, so check it once and keep day colours without it.
 * The package, class and method names are fixed: the library's symbols are made from them.
 */
public final class ImeGraphics {
    private static final boolean AVAILABLE = load();

    private ImeGraphics() {}

    private static boolean load() {
        try {
            System.loadLibrary("ime_graphics");
            return true;
        } catch (LinkageError | SecurityException e) {
            return false;
        }
    }

    /** Whether the native library was loaded; without it every other method throws. */
    public static boolean isAvailable() {
        return AVAILABLE;
    }

    /** Returns the night colour of an ARGB colour; a colour with alpha 0 comes back unchanged. */
    public static native int glSetNightColor(int color);

    /** Returns the day colour of an ARGB colour; a colour with alpha 0 comes back unchanged. */
    public static native int glSetDayColor(int color);

    /**
     * Converts an ARGB_8888 bitmap to night colours in place; other bitmaps (hardware, F16, 565,
     * recycled) are left alone. Premultiplied pixels stay valid: no channel ends above its alpha.
     * Call {@code invalidate()} on the view that shows the bitmap afterwards.
     *
     * <p>From Android 11 the renderer is told of the change only for a mutable bitmap: an immutable
     * one (as {@code BitmapFactory} decodes by default) is converted, but a view may go on drawing
     * the pixels it uploaded before. Convert a mutable copy, {@code copy(Bitmap.Config.ARGB_8888,
     * true)}, or decode with {@code inMutable = true}.
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
