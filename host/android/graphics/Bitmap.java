package android.graphics;

import android.os.Build;
import java.nio.ByteBuffer;
import java.util.concurrent.atomic.AtomicInteger;

/**
 * Host stand-in for the platform's Bitmap: the part of its API the library's callers, tests and
 * demo use, with pixels kept where native code can address them (a direct ByteBuffer) and stored
 * as the device stores them. ARGB_8888 pixels are bytes R, G, B, A, premultiplied by default as on
 * the device, so a pixel read natively as a little-endian word is 0xAABBGGRR. It and the host
 * libjnigraphics.so behave as the release {@link Build.VERSION#SDK_INT} names: the flags give the
 * alpha mode and the hardware bit from API 30 (0 before); a recycled bitmap is still described and
 * cannot be locked, except on API 23-25, where the device aborts the process and the stand-in
 * throws an Error instead; each {@link Config} exists from the API level its constant came in;
 * unlocking the pixels changes the generation id of every bitmap before API 30, and of mutable ones
 * only from API 30. An immutable bitmap's pixels lock like any other. Generation ids come from one
 * counter for the whole process, as Skia's do (src/core/SkPixelRef.cpp, next_gen_id), so no two
 * bitmaps share one. Colour spaces are not modelled: stored values are carried over as they stand.
 *
 * <p>What Java sees of these rules (the copy of each config, generation ids, createBitmap, the
 * configs of each release, decoding, copies of recycled bitmaps, getPixel) is one table,
 * tests/java/com/zarnu/util/BitmapFacts.java, run on this stand-in and on Android's own framework
 * under Robolectric at SDK 26 to 37. Modelled without that check, from the sources named here: API
 * 21 to 25, where Robolectric runs no native graphics; getPixel before API 29, since Robolectric
 * runs SDK 26 to 34 on one newer native build; the device's byte order R, G, B, A, where the
 * host's Skia keeps B, G, R, A (Robolectric issue #8372); and the unlock and recycled rules of
 * host/jnigraphics.cc.
 */
public final class Bitmap {
    /**
     * Pixel configurations, in the platform's order, with the native format each one reports and
     * the API level that brought it; the layouts are those Bitmap.java gives for the buffer copies.
     */
    public enum Config {
        ALPHA_8(8, 1, 1),
        RGB_565(4, 2, 1),
        ARGB_4444(7, 2, 1),
        ARGB_8888(1, 4, 1),
        /** Half floats R, G, B, A. */
        RGBA_F16(9, 8, 26),
        /** Pixels in graphics memory only: described as RGBA_8888, never locked. */
        HARDWARE(1, 4, 26),
        /** A little-endian word, alpha in its top 2 bits, then 10 each of blue, green and red. */
        RGBA_1010102(10, 4, 33);

        final int nativeFormat;
        final int bytesPerPixel;
        final int firstApi;

        Config(int nativeFormat, int bytesPerPixel, int firstApi) {
            this.nativeFormat = nativeFormat;
            this.bytesPerPixel = bytesPerPixel;
            this.firstApi = firstApi;
        }
    }

    /** A new bitmap's density, DisplayMetrics.DENSITY_DEVICE: here a 160 dpi screen's. */
    static final int DEFAULT_DENSITY = 160;

    /** Bytes around the pixels that nothing may write; see {@link BitmapTestHooks}. */
    static final int GUARD_BYTES = 64;

    static final byte GUARD = (byte) 0x5A;

    // Read and written by the host libjnigraphics.so by these names.
    final int mWidth;
    final int mHeight;
    final int mRowBytes;
    final int mFormat;
    final ByteBuffer mBuffer;
    final int mOffset;
    boolean mRecycled;
    int mLockCount;
    int mLockCalls;
    int mUnmatchedUnlocks;
    int mGetInfoResult;
    int mLockResult;
    final boolean mHardware;
    boolean mPremultiplied = true;
    boolean mHasAlpha;

    private static final AtomicInteger GENERATION_IDS = new AtomicInteger();

    private int mGenerationId = GENERATION_IDS.incrementAndGet();

    // Seen and steered by BitmapTestHooks: the first generation id, a copy() that fails, copies
    // that cannot be locked.
    final int mFirstGenerationId = mGenerationId;
    boolean mCopyFails;
    int mCopiesLockResult;

    private final Config mConfig;
    private boolean mMutable = true;
    private int mDensity = DEFAULT_DENSITY;

    Bitmap(int width, int height, Config config, int rowBytes, int byteOffset) {
        if (Build.VERSION.SDK_INT < config.firstApi) {
            throw new NoSuchFieldError(config.name());  // as the class has no such constant
        }
        mWidth = width;
        mHeight = height;
        mConfig = config;
        mFormat = config.nativeFormat;
        mRowBytes = rowBytes;
        mHardware = config == Config.HARDWARE;
        mHasAlpha = config != Config.RGB_565;
        mOffset = GUARD_BYTES + byteOffset;
        long size = (long) mOffset + (long) rowBytes * height + GUARD_BYTES;
        if (size > Integer.MAX_VALUE) {
            throw new IllegalArgumentException("bitmap too large: " + width + "x" + height);
        }
        mBuffer = ByteBuffer.allocateDirect((int) size);
        for (int i = 0; i < size; i++) {
            mBuffer.put(i, i < mOffset || i >= size - GUARD_BYTES ? GUARD : 0);
        }
    }

    public static Bitmap createBitmap(int width, int height, Config config) {
        if (width <= 0 || height <= 0) {
            throw new IllegalArgumentException("width and height must be > 0");
        }
        if (config == Config.HARDWARE) {
            throw new IllegalArgumentException("can't create a mutable bitmap with Config.HARDWARE");
        }
        // Made as ARGB_8888 since Android 4.4 (libs/hwui/jni/Bitmap.cpp, Bitmap_creator).
        Config made = config == Config.ARGB_4444 ? Config.ARGB_8888 : config;
        return new Bitmap(width, height, made, width * made.bytesPerPixel, 0);
    }

    public int getWidth() {
        return mWidth;
    }

    public int getHeight() {
        return mHeight;
    }

    public Config getConfig() {
        return mConfig;
    }

    public int getRowBytes() {
        return mRowBytes;
    }

    public boolean isRecycled() {
        return mRecycled;
    }

    public void recycle() {
        mRecycled = true;
    }

    public boolean isPremultiplied() {
        return mPremultiplied && mHasAlpha;
    }

    /** As on the device: only a bitmap with alpha can be premultiplied, and the stored values stay. */
    public void setPremultiplied(boolean premultiplied) {
        mPremultiplied = premultiplied;
    }

    public boolean hasAlpha() {
        return mHasAlpha;
    }

    public void setHasAlpha(boolean hasAlpha) {
        if (mConfig != Config.RGB_565) {
            mHasAlpha = hasAlpha;
        }
    }

    public boolean isMutable() {
        return mMutable;
    }

    public int getDensity() {
        return mDensity;
    }

    public void setDensity(int density) {
        mDensity = density;
    }

    /** Changes whenever the pixels are known to have changed, and the renderer uploads them again. */
    public int getGenerationId() {
        return mGenerationId;
    }

    /**
     * A copy in {@code config}, as mutable as asked, as libs/hwui/jni/Bitmap.cpp (Bitmap_copy,
     * bitmapCopyTo) and, before Android 11, core/jni/android/graphics/Bitmap.cpp make it: the
     * stored values carried over in the source's alpha type, so a premultiplied source gives a
     * premultiplied copy, with each channel scaled to the copy's bits (an RGBA_F16 one clamped to 0
     * and 1 first). An RGB_565 copy is opaque; an ALPHA_8 source gives black with its alpha. A
     * hardware source is read back from graphics memory (libs/hwui/hwui/Bitmap.cpp, getSkBitmap),
     * and Bitmap.java's copy() gives the copy the source's premultiplied request and density.
     */
    public Bitmap copy(Config config, boolean isMutable) {
        if (mRecycled) {
            throw new IllegalStateException("Can't copy a recycled bitmap");
        }
        if (config == Config.HARDWARE && isMutable) {
            throw new IllegalArgumentException("Hardware bitmaps are always immutable");
        }
        if (mCopyFails) {
            // Before API 26 Bitmap_copy's JavaPixelAllocator takes the pixels from the Java heap
            // (GraphicsJNI::allocateJavaPixelRef), which throws when it is full; from 26 its
            // HeapAllocator's failed calloc makes it return null.
            if (Build.VERSION.SDK_INT < 26) {
                throw new OutOfMemoryError("Failed to allocate a copy's pixels");
            }
            return null;
        }
        Bitmap copy = new Bitmap(mWidth, mHeight, config, mWidth * config.bytesPerPixel, 0);
        copy.mLockResult = mCopiesLockResult;
        copy.mPremultiplied = mPremultiplied;
        copy.mHasAlpha = mHasAlpha && config != Config.RGB_565;
        copy.mDensity = mDensity;
        for (int y = 0; y < mHeight; y++) {
            for (int x = 0; x < mWidth; x++) {
                copy.putStored(x, y, stored(x, y));
            }
        }
        copy.mMutable = isMutable;
        return copy;
    }

    /**
     * As graphics/java/android/graphics/Bitmap.java's createBitmap(source, 0, 0, width, height,
     * null, false): an immutable source itself, shared; a mutable one drawn into a new mutable
     * bitmap of its config (ARGB_8888 for any but RGB_565, ALPHA_8 and RGBA_F16) through a Canvas,
     * which refuses an unpremultiplied ARGB_8888 bitmap with alpha (BaseCanvas.java,
     * throwIfCannotDraw).
     */
    public static Bitmap createBitmap(Bitmap source) {
        if (!source.isMutable()) {
            return source;
        }
        Config config = source.getConfig();
        if (config == Config.ARGB_8888 && source.hasAlpha() && !source.isPremultiplied()) {
            throw new RuntimeException(
                    "Canvas: trying to use a non-premultiplied bitmap " + source);
        }
        boolean kept = config == Config.RGB_565 || config == Config.ALPHA_8
                || config == Config.RGBA_F16;
        // Drawn source-over onto transparent pixels, each stored value lands as a copy stores it.
        return source.copy(kept ? config : Config.ARGB_8888, true);
    }

    /**
     * Copies the stored pixels, as they are in memory (premultiplied where the bitmap is), into
     * {@code dst} from its position on, row after row.
     */
    public void copyPixelsToBuffer(ByteBuffer dst) {
        if (mHardware) {
            throw new IllegalStateException("unable to copyPixelsToBuffer, pixel access is not supported on Config#HARDWARE bitmaps");
        }
        byteIndex(0, 0);
        for (int y = 0; y < mHeight; y++) {
            for (int i = 0; i < mWidth * mConfig.bytesPerPixel; i++) {
                dst.put(mBuffer.get(mOffset + y * mRowBytes + i));
            }
        }
    }

    /**
     * Overwrites the stored pixels, row after row, with bytes of {@code src} from its position on,
     * as Bitmap.java's copyPixelsFromBuffer does for a ByteBuffer; the renderer hears of it.
     */
    public void copyPixelsFromBuffer(ByteBuffer src) {
        if (mRecycled) {
            throw new IllegalStateException("copyPixelsFromBuffer called on recycled bitmap");
        }
        if (mHardware) {
            throw new IllegalStateException("unable to copyPixelsFromBuffer, Config#HARDWARE bitmaps are immutable");
        }
        int rowBytes = mWidth * mConfig.bytesPerPixel;
        if (src.remaining() < rowBytes * mHeight) {
            throw new RuntimeException("Buffer not large enough for pixels");
        }
        for (int y = 0; y < mHeight; y++) {
            for (int i = 0; i < rowBytes; i++) {
                mBuffer.put(mOffset + y * mRowBytes + i, src.get());
            }
        }
        notifyPixelsChanged();
    }

    public int getPixel(int x, int y) {
        if (mHardware) {
            throw new IllegalStateException("unable to getPixel(), pixel access is not supported on Config#HARDWARE bitmaps");
        }
        return readPixel(x, y);
    }

    public void setPixel(int x, int y, int color) {
        if (!mMutable) {
            throw new IllegalStateException("setPixel() on an immutable bitmap");
        }
        writePixel(x, y, color);
        notifyPixelsChanged();
    }

    /**
     * Gives the bitmap a new generation id, from which the renderer knows to upload its pixels
     * again; the host libjnigraphics.so calls it by this name.
     */
    void notifyPixelsChanged() {
        mGenerationId = GENERATION_IDS.incrementAndGet();
    }

    /**
     * The colour at (x, y), un-premultiplied as the release does it. From API 29 Bitmap_getPixel
     * reads through SkBitmap::readPixels (libs/hwui/jni/Bitmap.cpp), whose pipeline works in
     * float: each channel is c / 255 times 1 / (a / 255), clamped to 1, so a channel above its
     * alpha (invalid premultiplied data) saturates to 255, then scaled by 255 and rounded to the
     * nearest, ties to even (src/opts/SkRasterPipeline_opts.h: load_8888, unpremul, store_8888).
     * Before, it went through SkUnPreMultiply::PMColorToColor (ToColor_S32_Alpha), an integer
     * scale that rounds halves up, whose channel comes out above 255 and spills into the bits
     * beside it.
     */
    private int readPixel(int x, int y) {
        int color = stored(x, y);
        if (!isPremultiplied()) {
            return color;
        }
        int a = color >>> 24;
        boolean pipeline = Build.VERSION.SDK_INT >= 29;
        return a << 24 | unpremultiply(color >> 16 & 0xFF, a, pipeline) << 16
                | unpremultiply(color >> 8 & 0xFF, a, pipeline) << 8
                | unpremultiply(color & 0xFF, a, pipeline);
    }

    private void writePixel(int x, int y, int color) {
        if (isPremultiplied()) {
            int a = color >>> 24;
            color = a << 24 | premultiply(color >> 16 & 0xFF, a) << 16
                    | premultiply(color >> 8 & 0xFF, a) << 8 | premultiply(color & 0xFF, a);
        }
        putStored(x, y, color);
    }

    /** The pixel at (x, y) as stored, premultiplied or not, in 8 bits a channel: 0xAARRGGBB. */
    private int stored(int x, int y) {
        int at = byteIndex(x, y);
        switch (mConfig) {
            case ARGB_8888:
            case HARDWARE:
                return (mBuffer.get(at + 3) & 0xFF) << 24 | (mBuffer.get(at) & 0xFF) << 16
                        | (mBuffer.get(at + 1) & 0xFF) << 8 | (mBuffer.get(at + 2) & 0xFF);
            case RGB_565: {
                int p = getShort(at) & 0xFFFF;
                int r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
                return 0xFF000000 | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
            }
            case ARGB_4444: {
                int p = getShort(at) & 0xFFFF;
                return (p & 0xF) * 17 << 24 | (p >> 12) * 17 << 16 | (p >> 8 & 0xF) * 17 << 8
                        | (p >> 4 & 0xF) * 17;
            }
            case RGBA_F16:
                return unorm8(getShort(at + 6)) << 24 | unorm8(getShort(at)) << 16
                        | unorm8(getShort(at + 2)) << 8 | unorm8(getShort(at + 4));
            case RGBA_1010102: {
                int p = Integer.reverseBytes(mBuffer.getInt(at));
                return (p >>> 30) * 85 << 24 | tenTo8(p) << 16 | tenTo8(p >> 10) << 8
                        | tenTo8(p >> 20);
            }
            default:
                return (mBuffer.get(at) & 0xFF) << 24;
        }
    }

    private void putStored(int x, int y, int color) {
        int at = byteIndex(x, y);
        int a = color >>> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
        switch (mConfig) {
            case ARGB_8888:
            case HARDWARE:
                mBuffer.put(at, (byte) r).put(at + 1, (byte) g).put(at + 2, (byte) b).put(at + 3, (byte) a);
                break;
            case RGB_565:
                putShort(at, (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
                break;
            case ARGB_4444:
                putShort(at, (r >> 4) << 12 | (g >> 4) << 8 | (b >> 4) << 4 | a >> 4);
                break;
            case RGBA_1010102: {
                int word = (a * 3 + 127) / 255 << 30 | eightTo10(b) << 20 | eightTo10(g) << 10
                        | eightTo10(r);
                mBuffer.putInt(at, Integer.reverseBytes(word));
                break;
            }
            case RGBA_F16:
                putShort(at, half(r));
                putShort(at + 2, half(g));
                putShort(at + 4, half(b));
                putShort(at + 6, half(a));
                break;
            default:
                mBuffer.put(at, (byte) a);
        }
    }

    private void putShort(int at, int bits) {
        mBuffer.putShort(at, Short.reverseBytes((short) bits));
    }

    private short getShort(int at) {
        return Short.reverseBytes(mBuffer.getShort(at));
    }

    /** A half float as 8 bits: clamped to 0 and 1, then scaled and rounded (NaN gives 0). */
    private static int unorm8(short half) {
        int exponent = half >> 10 & 0x1F;
        int mantissa = half & 0x3FF;
        float magnitude = exponent == 0 ? Math.scalb((float) mantissa, -24)
                : exponent == 31 ? (mantissa == 0 ? Float.POSITIVE_INFINITY : Float.NaN)
                : Math.scalb((float) (1024 + mantissa), exponent - 25);
        float value = half < 0 ? -magnitude : magnitude;
        return Math.round(Math.min(1f, Math.max(0f, value)) * 255);
    }

    /** An 8-bit channel as a half float, v / 255 rounded to the nearest, ties to even. */
    private static int half(int v) {
        if (v == 0) {
            return 0;
        }
        // From 1 / 255 on, the half is a normal number: 15 is the half's exponent bias, 127 the
        // float's.
        int bits = Float.floatToIntBits(v / 255f);
        int half = ((bits >> 23) - 127 + 15) << 10 | (bits & 0x7FFFFF) >> 13;
        int rest = bits & 0x1FFF;
        return rest > 0x1000 || (rest == 0x1000 && (half & 1) != 0) ? half + 1 : half;
    }

    private static int tenTo8(int bits) {
        return ((bits & 0x3FF) * 255 + 511) / 1023;
    }

    private static int eightTo10(int v) {
        return (v * 1023 + 127) / 255;
    }

    public void eraseColor(int color) {
        for (int y = 0; y < mHeight; y++) {
            for (int x = 0; x < mWidth; x++) {
                setPixel(x, y, color);
            }
        }
    }

    public void getPixels(int[] pixels, int offset, int stride, int x, int y, int width, int height) {
        for (int row = 0; row < height; row++) {
            for (int col = 0; col < width; col++) {
                pixels[offset + row * stride + col] = getPixel(x + col, y + row);
            }
        }
    }

    public void setPixels(int[] pixels, int offset, int stride, int x, int y, int width, int height) {
        for (int row = 0; row < height; row++) {
            for (int col = 0; col < width; col++) {
                setPixel(x + col, y + row, pixels[offset + row * stride + col]);
            }
        }
    }

    int byteIndex(int x, int y) {
        if (mRecycled) {
            throw new IllegalStateException("Can't access a recycled bitmap");
        }
        if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
            throw new IllegalArgumentException("(" + x + ", " + y + ") is outside the bitmap");
        }
        return mOffset + y * mRowBytes + x * mConfig.bytesPerPixel;
    }

    private static int premultiply(int c, int a) {
        return (c * a + 127) / 255;
    }

    private static int unpremultiply(int c, int a, boolean pipeline) {
        if (a == 0) {
            return 0;
        }
        if (!pipeline) {
            return (c * 255 + a / 2) / a;
        }
        float v = Math.min(c * (1 / 255f) * (1 / (a * (1 / 255f))), 1f);
        return (int) Math.rint(v * 255f);
    }
}
