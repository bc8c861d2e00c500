package android.graphics;

/**
 * What tests see and steer of a stand-in {@link Bitmap} that the platform's Bitmap does not offer:
 * unusual layouts, the raw stored words, the state of its pixel lock, injected failures, the
 * generation id it was made with.
 */
public final class BitmapTestHooks {
    private BitmapTestHooks() {}

    /**
     * A bitmap with rows of {@code rowBytes} bytes (which may exceed the pixels' bytes, or fall
     * short of them to describe a broken bitmap) whose first pixel lies {@code byteOffset} bytes
     * into its memory. Zero sizes are allowed.
     */
    public static Bitmap create(int width, int height, Bitmap.Config config, int rowBytes, int byteOffset) {
        return new Bitmap(width, height, config, rowBytes, byteOffset);
    }

    /** Pixel (x, y) of an ARGB_8888 bitmap as stored, read as a little-endian word. */
    public static int word(Bitmap bitmap, int x, int y) {
        int at = bitmap.byteIndex(x, y);
        return Integer.reverseBytes(bitmap.mBuffer.getInt(at));
    }

    public static void setWord(Bitmap bitmap, int x, int y, int word) {
        bitmap.mBuffer.putInt(bitmap.byteIndex(x, y), Integer.reverseBytes(word));
    }

    /** Every byte of the bitmap's memory: guard bytes, pixels and row padding. */
    public static byte[] memory(Bitmap bitmap) {
        byte[] bytes = new byte[bitmap.mBuffer.capacity()];
        bitmap.mBuffer.get(0, bytes);
        return bytes;
    }

    /** Overwrites the bitmap's memory between its guards (pixels and padding) with {@code bytes}. */
    public static void fill(Bitmap bitmap, byte[] bytes) {
        bitmap.mBuffer.put(bitmap.mOffset, bytes, 0, bitmap.mRowBytes * bitmap.mHeight);
    }

    /** Whether the guard bytes before and after the pixels are as they were made. */
    public static boolean guardsIntact(Bitmap bitmap) {
        int end = bitmap.mBuffer.capacity();
        for (int i = 0; i < end; i++) {
            boolean guard = i < bitmap.mOffset || i >= end - Bitmap.GUARD_BYTES;
            if (guard && bitmap.mBuffer.get(i) != Bitmap.GUARD) {
                return false;
            }
        }
        return true;
    }

    public static int outstandingLocks(Bitmap bitmap) {
        return bitmap.mLockCount;
    }

    public static int locksTaken(Bitmap bitmap) {
        return bitmap.mLockCalls;
    }

    public static int unmatchedUnlocks(Bitmap bitmap) {
        return bitmap.mUnmatchedUnlocks;
    }

    /** Makes AndroidBitmap_getInfo return {@code result} (0 for success again). */
    public static void failGetInfo(Bitmap bitmap, int result) {
        bitmap.mGetInfoResult = result;
    }

    /** Makes AndroidBitmap_lockPixels return {@code result} (0 for success again). */
    public static void failLock(Bitmap bitmap, int result) {
        bitmap.mLockResult = result;
    }

    /** Makes copy() of the bitmap fail as a failed allocation does: null, or before API 26 OutOfMemoryError. */
    public static void failCopies(Bitmap bitmap) {
        bitmap.mCopyFails = true;
    }

    /** Makes AndroidBitmap_lockPixels return {@code result} for every copy made of the bitmap. */
    public static void failLockOfCopies(Bitmap bitmap, int result) {
        bitmap.mCopiesLockResult = result;
    }

    /** The generation id the bitmap was made with. */
    public static int firstGenerationId(Bitmap bitmap) {
        return bitmap.mFirstGenerationId;
    }
}
