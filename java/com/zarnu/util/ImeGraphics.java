package com.zarnu.util;

import android.graphics.Bitmap;
import android.os.Build;
import org.jetbrains.annotations.NotNull;
import org.jetbrains.annotations.Nullable;

/**
 * Day and night conversion of colours, bitmaps and colour arrays, done natively.
 *
 * <p>Loading the library never fails the class: where it is missing (an ABI the app filtered out,
 * a split not installed, a damaged install) {@link #isAvailable()} is false and every native
 * method and copy throws {@link UnsatisfiedLinkError}, so check it once and keep day colours
 * without it.
 * The package, class and method names are fixed: the library's symbols are made from them.
 *
 * <p>A bitmap from {@code Resources}, {@code BitmapFactory} or {@code ImageDecoder} is converted
 * by {@link #nightCopy} and {@link #dayCopy}: it is immutable, in graphics memory or shared, and
 * converting it in place would not show or would change every drawable that shares it. Convert in
 * place only a bitmap the app made itself and {@link #canConvertInPlace} accepts.
 *
 * <p>Kotlin reads the nullability of the copies and arguments from JetBrains' annotations, which
 * are kept in the class file for compilers only: an app needs no library for them.
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
     * @return true if it was; false if it was not, and every native method and both copies throw
     *     {@link UnsatisfiedLinkError}
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
     * the pixels it uploaded before. {@link #canConvertInPlace} says whether a conversion will
     * show; {@link #nightCopy} converts a copy of any bitmap.
     *
     * @param bitmap the bitmap to convert; null is ignored
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native void glSetNight(@Nullable Bitmap bitmap);

    /**
     * As {@link #glSetNight}, to day colours.
     *
     * @param bitmap the bitmap to convert; null is ignored
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native void glSetToDayMode(@Nullable Bitmap bitmap);

    /**
     * Writes {@code (srcColors[i] & 0xFF000000) | rgb} into {@code dstColors[i]} for every index
     * both arrays have; {@code srcColors} is never modified.
     *
     * @param srcColors the colours whose alpha bytes are kept; if null, nothing is written
     * @param dstColors the array written; if null, nothing is written
     * @param rgb the colour ORed in, its alpha byte included
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    public static native void glChangeColor(
            @Nullable int[] srcColors, @Nullable int[] dstColors, int rgb);

    /**
     * Returns a night copy of a bitmap: {@code source.copy(Bitmap.Config.ARGB_8888, true)},
     * converted by {@link #glSetNight}.
     *
     * <p>Every bitmap the platform copies to {@link Bitmap.Config#ARGB_8888} is accepted, mutable
     * or not: {@code ARGB_8888}, {@code RGB_565}, {@code ARGB_4444} and {@code ALPHA_8}; from API
     * 26 {@code RGBA_F16} and {@link Bitmap.Config#HARDWARE}, read back from graphics memory; from
     * API 33 {@code RGBA_1010102}. The copy's density, alpha and premultiplied state are what
     * {@link Bitmap#copy(Bitmap.Config, boolean)} gives it, and its stored values are mapped in the
     * colour space they are in, as {@link #glSetNight} maps them. Neither the pixels of {@code
     * source} nor its generation id ever change.
     *
     * <p>It costs one copy and one pass, and reading a hardware bitmap back is slow: make copies
     * off the UI thread and hand them over to it.
     *
     * @param source the bitmap to copy; it is not altered
     * @return a new mutable ARGB_8888 bitmap holding {@code source} in night colours, or null if
     *     {@code copy} returned null (no memory, or a conversion the platform does not make) or the
     *     pass converted nothing; never a copy left in day colours
     * @throws UnsatisfiedLinkError if the library is not loaded, before anything is checked or
     *     copied
     * @throws NullPointerException if {@code source} is null
     * @throws IllegalStateException if {@code source} is recycled, as {@code copy} throws
     */
    public static @Nullable Bitmap nightCopy(@NotNull Bitmap source) {
        return convertedCopy(source, true);
    }

    /**
     * As {@link #nightCopy}, to day colours: a copy converted by {@link #glSetToDayMode}.
     *
     * @param source the bitmap to copy; it is not altered
     * @return a new mutable ARGB_8888 bitmap holding {@code source} in day colours, or null if
     *     {@code copy} returned null or the pass converted nothing
     * @throws UnsatisfiedLinkError if the library is not loaded, before anything is checked or
     *     copied
     * @throws NullPointerException if {@code source} is null
     * @throws IllegalStateException if {@code source} is recycled, as {@code copy} throws
     */
    public static @Nullable Bitmap dayCopy(@NotNull Bitmap source) {
        return convertedCopy(source, false);
    }

    /**
     * Returns whether {@link #glSetNight} and {@link #glSetToDayMode} convert a bitmap in place
     * and the renderer learns of it on this release, so that the change shows after {@code
     * invalidate()}.
     *
     * <p>That is a bitmap that is not recycled, in {@link Bitmap.Config#ARGB_8888}, and, from API
     * 30, mutable: from then on the renderer is told of a change only to a mutable bitmap.
     *
     * <p>It cannot see sharing through the resource cache: the drawables of one resource share one
     * bitmap, so converting it in place converts every view that draws the resource and loses the
     * day picture. A bitmap from {@code Resources} takes {@link #nightCopy}, whatever this returns.
     *
     * @param bitmap the bitmap to ask about, or null; it is not altered
     * @return true if an in-place conversion will show; false for null, a recycled bitmap, any
     *     config but ARGB_8888 (hardware included), an immutable bitmap from API 30, and every
     *     bitmap when the library is not loaded
     */
    public static boolean canConvertInPlace(@Nullable Bitmap bitmap) {
        return AVAILABLE && bitmap != null && !bitmap.isRecycled()
                && bitmap.getConfig() == Bitmap.Config.ARGB_8888
                && (Build.VERSION.SDK_INT < 30 || bitmap.isMutable());
    }

    private static Bitmap convertedCopy(Bitmap source, boolean night) {
        if (!AVAILABLE) {
            throw new UnsatisfiedLinkError("libime_graphics.so is not loaded");
        }
        if (source == null) {
            throw new NullPointerException("source");
        }
        Bitmap copy = source.copy(Bitmap.Config.ARGB_8888, true);
        if (copy == null) {
            return null;
        }
        // The pass's unlock gives a mutable bitmap a new generation id on every release: the old
        // one afterwards means the pass gave up before converting anything.
        int generation = copy.getGenerationId();
        if (night) {
            glSetNight(copy);
        } else {
            glSetToDayMode(copy);
        }
        if (copy.getGenerationId() == generation) {
            copy.recycle();
            return null;
        }
        return copy;
    }
}
