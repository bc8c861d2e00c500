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

    /**
     * Returns whether the native library was loaded.
     *
     * @return true if it was; false if it was not, and every native method throws {@link
     *     UnsatisfiedLinkError}
     */
    public static boolean isAvailable() {
        return AVAILABLE;
    }

    /**
     * Returns the night colour of an ARGB colour.
     *
     * @param color an ARGB colour
     * @return the colour with each channel mapped to night and its alpha kept, or {@code color}
     *     itself if its alpha is 0
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native int glSetNightColor(int color);

    /**
     * Returns the day colour of an ARGB colour.
     *
     * @param color an ARGB colour
     * @return the colour with each channel mapped to day and its alpha kept, or {@code color}
     *     itself if its alpha is 0
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
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
     *
     * @param bitmap the bitmap to convert; null is ignored
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native void glSetNight(Bitmap bitmap);

    /**
     * As {@link #glSetNight}, to day colours.
     *
     * @param bitmap the bitmap to convert; null is ignored
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native void glSetToDayMode(Bitmap bitmap);

    /**
     * Writes {@code (srcColors[i] & 0xFF000000) | rgb} into {@code dstColors[i]} for every index
     * both arrays have; {@code srcColors} is never modified.
     *
     * @param srcColors the colours whose alpha bytes are kept; if null, nothing is written
     * @param dstColors the array written; if null, nothing is written
     * @param rgb the colour ORed in, its alpha byte included
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native void glChangeColor(int[] srcColors, int[] dstColors, int rgb);
}
