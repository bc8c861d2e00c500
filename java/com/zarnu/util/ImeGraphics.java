package com.zarnu.util;

import android.graphics.Bitmap;
import android.graphics.ColorFilter;
import android.graphics.ColorMatrixColorFilter;
import android.os.Build;
import androidx.annotation.AnyThread;
import androidx.annotation.ColorInt;
import androidx.annotation.NonNull;
import androidx.annotation.Nullable;
import androidx.annotation.WorkerThread;
import java.util.Arrays;

/**
 * Day and night conversion of colours, bitmaps and colour arrays, done natively.
 *
 * <p>Loading the library never fails the class: where it is missing (an ABI the app filtered out,
 * a split not installed, a damaged install) {@link #isAvailable()} is false and every native
 * method and copy throws {@link UnsatisfiedLinkError}, so check it once and keep day colours
 * without it.
 * The package, class and method names are fixed: the library's symbols are made from them.
 *
 * <p>What the app draws without holding its pixels (vector icons, text, shapes, nine-patches, a
 * whole view) takes {@link #nightColorFilter()}, which draws the same mapping as it is drawn and
 * needs no native library.
 *
 * <p>A bitmap from {@code Resources}, {@code BitmapFactory} or {@code ImageDecoder} is converted
 * by {@link #nightCopy} and {@link #dayCopy}: it is immutable, in graphics memory or shared, and
 * converting it in place would not show or would change every drawable that shares it. Convert in
 * place only a bitmap the app made itself and {@link #canConvertInPlace} accepts.
 *
 * <p>Its androidx.annotation annotations give Kotlin the nullability of the copies and arguments,
 * and lint the colour ints and threads; they are kept in the class file for compilers only: an
 * app needs no library for them.
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
    @AnyThread
    public static boolean isAvailable() {
        return AVAILABLE;
    }

    /**
     * Returns a colour filter that draws in night colours what is drawn through it: set it on a
     * {@code Paint}, a {@code Drawable}, or a whole view as its layer paint. It is Java alone, so
     * it works where the library is not loaded.
     *
     * <p>It is a {@link ColorMatrixColorFilter} that scales each colour channel by 680/1024 and
     * adds -33.49609375, alpha kept. Android un-premultiplies each pixel, applies the matrix in
     * floating point, clamps and rounds to 8 bits; the extra -0.49609375 turns that rounding into
     * the floor of {@code max(0, floor(680 v / 1024) - 33)}.
     * <ul>
     *   <li><b>Opaque pixels and colours</b> come out exactly as {@link #glSetNightColor} gives
     *       them on an sRGB target: measured for every value of every channel through {@code
     *       drawBitmap}, a view's layer paint (software or hardware layer, drawn on a bitmap's
     *       canvas), {@code Paint} colours and text, on Android's own code over Skia's CPU raster
     *       (Robolectric) at API 26 to 37.
     *   <li><b>Translucent pixels</b> are mapped by the colour they show: within 1 of {@code
     *       round(n(u) a / 255)} for alpha a and un-premultiplied channel u, and of what {@link
     *       #nightCopy} stores. The in-place pass maps stored values and keeps them under the
     *       alpha instead, up to 27 levels darker on an antialiased edge. Text is drawn as text
     *       in the mapped colour, whose glyph edges Skia renders for that colour: alike up to API
     *       35, within 1 from API 36.
     *   <li><b>Colour spaces.</b> Before API 35 Skia applies the filter in the target's colour
     *       space (measured on Robolectric's Android 12 build, which it runs at API 26 to 34):
     *       exact on sRGB windows and bitmaps, up to 15 levels off on a Display P3 target and 57
     *       on linear sRGB. From API 35 hwui applies it in sRGB and converts the result
     *       (libs/hwui/ColorFilter.h): at API 35 off by the conversion alone, up to 2 levels on
     *       Display P3 and 6 on linear sRGB; from API 36, where it is unclamped, up to 9 on
     *       Display P3.
     *   <li><b>Not measured:</b> API 21 to 25, whose Skia computed colour matrices its own way,
     *       and the GPU, on which devices draw hardware-accelerated views; its colour-matrix code
     *       may run in half precision, so expect a level either way there.
     * </ul>
     *
     * @return a new filter on every call; nothing else is altered
     */
    @AnyThread
    public static @NonNull ColorFilter nightColorFilter() {
        return channelMatrix(680f / 1024, -33.49609375f);
    }

    /**
     * Returns a colour filter that draws in day colours what is drawn through it, as {@link
     * #nightColorFilter()} draws night ones: a {@link ColorMatrixColorFilter} that scales each
     * colour channel by 1024/680 and adds 49.2, alpha kept, for {@code min(255, floor((v + 33)
     * 1024 / 680))}. Java alone, like the night filter.
     * <ul>
     *   <li><b>Opaque pixels and colours</b> come out exactly as {@link #glSetDayColor} gives
     *       them on an sRGB target, measured as for the night filter.
     *   <li><b>Translucent pixels</b>, up to API 35, are mapped by the colour they show: within 2
     *       of {@code round(d(u) a / 255)} and of what {@link #dayCopy} stores (getPixel's
     *       rounding of u, which the filter does not make, can cross a floor). Text as for the
     *       night filter.
     *   <li><b>API 36 and later, translucent pixels:</b> hwui builds the matrix filter without
     *       its clamp (libs/hwui/ColorFilter.h, {@code Clamp::kNo}), so a channel the day mapping
     *       lifts past 255 stays there and, premultiplied, ends above its alpha, adding light
     *       where it is drawn: about half the translucent colours measured at API 36 and 37, up
     *       to 105 levels in the stored value. Opaque pixels are unaffected. No public API keeps
     *       it valid on every path: {@code RuntimeColorFilter} (API 36) does not run on the CPU
     *       raster, which draws without it. Keep the day originals, or use {@link #dayCopy}, for
     *       translucent assets there.
     *   <li><b>Colour spaces:</b> before API 35 up to 121 levels off on a Display P3 target and
     *       72 on linear sRGB; at API 35 off by the conversion alone, up to 2 and 1; from API 36
     *       the unclamped values reach the conversion, up to 105 levels off on Display P3.
     *   <li><b>Not measured:</b> API 21 to 25 and the GPU, as for the night filter.
     * </ul>
     *
     * @return a new filter on every call; nothing else is altered
     */
    @AnyThread
    public static @NonNull ColorFilter dayColorFilter() {
        return channelMatrix(1024f / 680, 49.2f);
    }

    /** Scales R, G and B by {@code scale} and adds {@code translate} (in 0 to 255), alpha kept. */
    private static ColorFilter channelMatrix(float scale, float translate) {
        return new ColorMatrixColorFilter(new float[] {
            scale, 0, 0, 0, translate,
            0, scale, 0, 0, translate,
            0, 0, scale, 0, translate,
            0, 0, 0, 1, 0,
        });
    }

    /**
     * Returns the night colour of an ARGB colour.
     *
     * @param color an ARGB colour
     * @return the colour with each channel mapped to night and its alpha kept, or {@code color}
     *     itself if its alpha is 0
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    @AnyThread
    public static native @ColorInt int glSetNightColor(@ColorInt int color);

    /**
     * Returns the day colour of an ARGB colour.
     *
     * @param color an ARGB colour
     * @return the colour with each channel mapped to day and its alpha kept, or {@code color}
     *     itself if its alpha is 0
     * @throws UnsatisfiedLinkError if the library is not loaded
     */
    @AnyThread
    public static native @ColorInt int glSetDayColor(@ColorInt int color);

    /**
     * Converts an ARGB_8888 bitmap to night colours in place; other bitmaps (hardware, F16, 565,
     * recycled) are left alone. Premultiplied pixels stay valid: no channel ends above its alpha.
     * Call {@code invalidate()} on the view that shows the bitmap afterwards.
     *
     * <p>From API 30 an unpremultiplied bitmap ({@link Bitmap#setPremultiplied} false) has its
     * channels mapped as they are, unclamped. Before API 30 {@code AndroidBitmap_getInfo} reports
     * no alpha flags, so such a bitmap is taken as premultiplied and each translucent channel is
     * held to its alpha, {@code min(f(c), a)}. {@link #nightCopy} maps either kind as it is.
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
    @AnyThread
    public static native void glChangeColor(
            @Nullable @ColorInt int[] srcColors, @Nullable @ColorInt int[] dstColors,
            @ColorInt int rgb);

    /**
     * Returns a night copy of a bitmap: {@code source.copy(Bitmap.Config.ARGB_8888, true)} with
     * every pixel in night colours, each mapped by the colour it shows.
     *
     * <p>For a pixel of the copy whose alpha is a:
     * <ul>
     *   <li>a = 255: each channel c becomes {@code max(0, floor(680 c / 1024) - 33)}, as {@link
     *       #glSetNight} stores it;
     *   <li>0 &lt; a &lt; 255: the colour {@link Bitmap#getPixel} reports for it, un-premultiplied,
     *       goes through {@link #glSetNightColor} and is stored as {@link Bitmap#setPixel} stores
     *       it: in a premultiplied copy each channel becomes {@code round(n(u) a / 255)}, where u
     *       is the channel getPixel reports and n the night mapping above;
     *   <li>a = 0: the pixel is left as it was.
     * </ul>
     * So a light icon's antialiased edge stays as light as its colour, as {@link
     * #nightColorFilter()} draws it. Converting in place maps the stored values instead and keeps
     * each channel at most a, {@code min(n(c), a)}, which darkens such an edge. Before version
     * 2.0.0 the copies did that too.
     *
     * <p>Every bitmap the platform copies to {@link Bitmap.Config#ARGB_8888} is accepted, mutable
     * or not: {@code ARGB_8888}, {@code RGB_565}, {@code ARGB_4444} and {@code ALPHA_8}; from API
     * 26 {@code RGBA_F16} and {@link Bitmap.Config#HARDWARE}, read back from graphics memory; from
     * API 33 {@code RGBA_1010102}. The copy's density, alpha and premultiplied state are what
     * {@link Bitmap#copy(Bitmap.Config, boolean)} gives it. Opaque pixels are mapped as stored, in
     * the copy's colour space; translucent ones as getPixel reports them, in sRGB, converted back
     * by setPixel. Neither the pixels of {@code source} nor its generation id ever change.
     *
     * <p>It costs one copy and one pass, and, for a bitmap with alpha ({@link Bitmap#hasAlpha()}),
     * a read of every pixel through getPixels and a write of the translucent ones, which are held
     * in the meantime (4 bytes each). Reading a hardware bitmap back is slow. Make copies off the
     * UI thread and hand them over to it.
     *
     * @param source the bitmap to copy; it is not altered
     * @return a new mutable ARGB_8888 bitmap holding {@code source} in night colours, or null if
     *     memory ran out (at every level: before API 26 {@code copy} throws {@link
     *     OutOfMemoryError} where it later returns null, and that error is not passed on),
     *     {@code copy} made no such conversion, or the pass converted nothing; never a copy left
     *     in day colours
     * @throws UnsatisfiedLinkError if the library is not loaded, before anything is checked or
     *     copied
     * @throws NullPointerException if {@code source} is null
     * @throws IllegalStateException if {@code source} is recycled, as {@code copy} throws
     */
    @WorkerThread
    public static @Nullable Bitmap nightCopy(@NonNull Bitmap source) {
        return convertedCopy(source, true);
    }

    /**
     * As {@link #nightCopy}, to day colours: opaque pixels as {@link #glSetToDayMode} stores them,
     * each channel {@code min(255, floor((c + 33) 1024 / 680))}; translucent ones as getPixel
     * reports them, through {@link #glSetDayColor}, stored as setPixel stores them, {@code
     * round(d(u) a / 255)} in a premultiplied copy. A 12% black shadow, {@code 0x1E000000}, becomes the grey
     * {@code 0x1E313131} it shows, stored {@code 0x1E060606}.
     *
     * @param source the bitmap to copy; it is not altered
     * @return a new mutable ARGB_8888 bitmap holding {@code source} in day colours, or null if
     *     memory ran out, {@code copy} made no such conversion, or the pass converted nothing
     * @throws UnsatisfiedLinkError if the library is not loaded, before anything is checked or
     *     copied
     * @throws NullPointerException if {@code source} is null
     * @throws IllegalStateException if {@code source} is recycled, as {@code copy} throws
     */
    @WorkerThread
    public static @Nullable Bitmap dayCopy(@NonNull Bitmap source) {
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
    @AnyThread
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
        Bitmap copy = null;
        TranslucentPixels translucent;
        try {
            copy = source.copy(Bitmap.Config.ARGB_8888, true);
            if (copy == null) {
                return null;
            }
            // Only a bitmap with alpha can hold translucent pixels; an opaque one costs the pass
            // alone.
            translucent = copy.hasAlpha()
                    ? TranslucentPixels.mapped(copy, night ? Channels.NIGHT : Channels.DAY)
                    : null;
        } catch (OutOfMemoryError e) {
            // Before API 26 copy() takes the pixels from the Java heap and throws when it is full,
            // where from 26 it returns null: out of memory is null at every level, as is a
            // translucent bitmap too large to hold.
            if (copy != null) {
                copy.recycle();
            }
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
        if (translucent != null) {
            translucent.writeTo(copy);
        }
        return copy;
    }

    /** Each channel value mapped, as the library maps a grey of it. */
    private static final class Channels {
        static final int[] NIGHT = table(true);
        static final int[] DAY = table(false);

        private static int[] table(boolean night) {
            int[] table = new int[256];
            for (int v = 0; v < 256; v++) {
                int grey = 0xFF000000 | v * 0x010101;
                table[v] = (night ? glSetNightColor(grey) : glSetDayColor(grey)) & 0xFF;
            }
            return table;
        }
    }

    /**
     * The translucent pixels of a bitmap as getPixels reports them, each with its channels mapped,
     * held in runs along the rows until they are written back over what the pass made of them.
     */
    private static final class TranslucentPixels {
        /** Pixels read at a time: 64 KB. */
        private static final int BATCH = 16384;

        private final int width;
        private int[] colours = new int[64];
        private int count;
        /** x, y and length of each run. */
        private int[] runs = new int[48];
        private int runCount;

        private TranslucentPixels(int width) {
            this.width = width;
        }

        static TranslucentPixels mapped(Bitmap bitmap, int[] table) {
            int width = bitmap.getWidth();
            int height = bitmap.getHeight();
            TranslucentPixels pixels = new TranslucentPixels(width);
            int rows = Math.max(1, Math.min(height, BATCH / Math.max(1, width)));
            int[] batch = new int[width * rows];
            for (int top = 0; top < height; top += rows) {
                int read = Math.min(rows, height - top);
                bitmap.getPixels(batch, 0, width, 0, top, width, read);
                for (int y = 0; y < read; y++) {
                    pixels.addRow(batch, y * width, top + y, table);
                }
            }
            return pixels;
        }

        private static boolean translucent(int colour) {
            int alpha = colour >>> 24;
            return alpha != 0 && alpha != 0xFF;
        }

        private void addRow(int[] row, int start, int y, int[] table) {
            int x = 0;
            while (x < width) {
                if (!translucent(row[start + x])) {
                    x++;
                    continue;
                }
                int first = x;
                do {
                    int c = row[start + x];
                    add(c & 0xFF000000 | table[c >>> 16 & 0xFF] << 16 | table[c >>> 8 & 0xFF] << 8
                            | table[c & 0xFF]);
                    x++;
                } while (x < width && translucent(row[start + x]));
                addRun(first, y, x - first);
            }
        }

        private void add(int colour) {
            if (count == colours.length) {
                colours = Arrays.copyOf(colours, 2 * count);
            }
            colours[count++] = colour;
        }

        private void addRun(int x, int y, int length) {
            if (3 * runCount == runs.length) {
                runs = Arrays.copyOf(runs, 2 * runs.length);
            }
            runs[3 * runCount] = x;
            runs[3 * runCount + 1] = y;
            runs[3 * runCount + 2] = length;
            runCount++;
        }

        /**
         * Writes each run from an array a row long: a VM may copy the whole array it is handed on
         * every call, which for all the held colours would cost far more than the run.
         */
        void writeTo(Bitmap bitmap) {
            int[] run = new int[width];
            int offset = 0;
            for (int i = 0; i < runCount; i++) {
                int length = runs[3 * i + 2];
                System.arraycopy(colours, offset, run, 0, length);
                bitmap.setPixels(run, 0, length, runs[3 * i], runs[3 * i + 1], length, 1);
                offset += length;
            }
        }
    }
}
