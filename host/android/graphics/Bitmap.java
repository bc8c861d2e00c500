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
 * throws an Error instead; {@link Config#HARDWARE} exists from API 26; unlocking the pixels
 * changes the generation id of every bitmap before API 30, and of mutable ones only from API 30.
 * An immutable bitmap's pixels lock like any other. Generation ids come from one counter for the
 * whole process, as Skia's do (src/core/SkPixelRef.cpp, next_gen_id), so no two bitmaps share one.
 */
public final class Bitmap {
    /** Pixel configurations, with the native format each one reports. */
    public enum Config {
        ALPHA_8(8, 1),
        RGB_565(4, 2),
        ARGB_4444(7, 2),
        ARGB_8888(1, 4),
        RGBA_F16(9, 8),
        /** Pixels in graphics memory only (from API 26): described as RGBA_8888, never locked. */
        HARDWARE(1, 4);

        final int nativeFormat;
        final int bytesPerPixel;

        Config(int nativeFormat, int bytesPerPixel) {
            this.nativeFormat = nativeFormat;
            this.bytesPerPixel = bytesPerPixel;
        }
    }

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

    private final Config mConfig;
    private boolean mMutable = true;

    Bitmap(int width, int height, Config config, int rowBytes, int byteOffset) {
        if (config == Config.HARDWARE && Build.VERSION.SDK_INT < 26) {
            throw new NoSuchFieldError("HARDWARE");  // as the class has no such constant
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
        return new Bitmap(width, height, config, width * config.bytesPerPixel, 0);
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

    /** Changes whenever the pixels are known to have changed, and the renderer uploads them again. */
    public int getGenerationId() {
        return mGenerationId;
    }

    /** A copy in {@code config}, as mutable as asked; hardware copies are immutable. */
    public Bitmap copy(Config config, boolean isMutable) {
        if (mRecycled) {
            throw new IllegalStateException("Can't copy a recycled bitmap");
        }
        if (config == Config.HARDWARE && isMutable) {
            throw new IllegalArgumentException("Hardware bitmaps are always immutable");
        }
        Bitmap copy = new Bitmap(mWidth, mHeight, config, mWidth * config.bytesPerPixel, 0);
        copy.mPremultiplied = mPremultiplied;
        copy.mHasAlpha = mHasAlpha && config != Config.RGB_565;
        for (int y = 0; y < mHeight; y++) {
            for (int x = 0; x < mWidth; x++) {
                copy.writePixel(x, y, readPixel(x, y));
            }
        }
        copy.mMutable = isMutable;
        return copy;
    }

    /** An immutable copy of {@code source}, as BitmapFactory and Resources hand out. */
    public static Bitmap createBitmap(Bitmap source) {
        return source.copy(source.getConfig(), false);
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
     * The colour at (x, y), un-premultiplied as Skia does it: without a clamp, so that a channel
     * above its alpha (invalid premultiplied data) comes out above 255 and spills into the bits
     * beside it rather than passing for a valid colour.
     */
    private int readPixel(int x, int y) {
        int at = byteIndex(x, y);
        switch (mConfig) {
            case ARGB_8888:
            case HARDWARE: {
                int r = mBuffer.get(at) & 0xFF;
                int g = mBuffer.get(at + 1) & 0xFF;
                int b = mBuffer.get(at + 2) & 0xFF;
                int a = mBuffer.get(at + 3) & 0xFF;
                if (isPremultiplied()) {
                    r = unpremultiply(r, a);
                    g = unpremultiply(g, a);
                    b = unpremultiply(b, a);
                }
                return a << 24 | r << 16 | g << 8 | b;
            }
            case RGB_565: {
                int p = (mBuffer.get(at) & 0xFF) | (mBuffer.get(at + 1) & 0xFF) << 8;
                int r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
                return 0xFF000000 | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
            }
            case ARGB_4444: {
                int p = (mBuffer.get(at) & 0xFF) | (mBuffer.get(at + 1) & 0xFF) << 8;
                int a = (p & 0xF) * 17;
                int r = unpremultiply((p >> 12) * 17, a);
                int g = unpremultiply(((p >> 8) & 0xF) * 17, a);
                int b = unpremultiply(((p >> 4) & 0xF) * 17, a);
                return a << 24 | r << 16 | g << 8 | b;
            }
            case RGBA_F16:
                throw new UnsupportedOperationException("the host stand-in does not convert RGBA_F16 pixels");
            default:
                return (mBuffer.get(at) & 0xFF) << 24;
        }
    }

    private void writePixel(int x, int y, int color) {
        int at = byteIndex(x, y);
        int a = color >>> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
        switch (mConfig) {
            case ARGB_8888:
            case HARDWARE:
                if (isPremultiplied()) {
                    r = premultiply(r, a);
                    g = premultiply(g, a);
                    b = premultiply(b, a);
                }
                mBuffer.put(at, (byte) r).put(at + 1, (byte) g).put(at + 2, (byte) b).put(at + 3, (byte) a);
                break;
            case RGB_565: {
                int p = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
                mBuffer.put(at, (byte) p).put(at + 1, (byte) (p >> 8));
                break;
            }
            case ARGB_4444: {
                int p = (premultiply(r, a) >> 4) << 12 | (premultiply(g, a) >> 4) << 8
                        | (premultiply(b, a) >> 4) << 4 | a >> 4;
                mBuffer.put(at, (byte) p).put(at + 1, (byte) (p >> 8));
                break;
            }
            case RGBA_F16:
                throw new UnsupportedOperationException("the host stand-in does not convert RGBA_F16 pixels");
            default:
                mBuffer.put(at, (byte) a);
        }
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

    private static int unpremultiply(int c, int a) {
        return a == 0 ? 0 : (c * 255 + a / 2) / a;
    }
}
