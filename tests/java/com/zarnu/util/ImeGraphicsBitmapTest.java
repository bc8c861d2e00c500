package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import android.graphics.Bitmap;
import android.graphics.BitmapTestHooks;
import android.os.Build;
import java.util.SplittableRandom;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.EnumSource;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The bitmap pass end to end: Java caller, library, host bitmap interface, stand-in Bitmap, on the
 * release the stand-ins are told to be.
 */
class ImeGraphicsBitmapTest {
    private static final int BAD_PARAMETER = -1;
    private static final int JNI_EXCEPTION = -2;
    private static final int ALLOCATION_FAILED = -3;

    /** A bitmap of random stored words (a few transparent), every row padded by {@code pad} bytes. */
    private static Bitmap randomBitmap(int width, int height, int pad, int offset, long seed) {
        Bitmap bitmap = BitmapTestHooks.create(width, height, Bitmap.Config.ARGB_8888, 4 * width + pad, offset);
        SplittableRandom random = new SplittableRandom(seed);
        byte[] bytes = new byte[(4 * width + pad) * height];
        for (int i = 0; i < bytes.length; i++) {
            bytes[i] = (byte) random.nextInt();
        }
        for (int i = 3; i < bytes.length; i += 4 * 7) {
            bytes[i] = 0;
        }
        BitmapTestHooks.fill(bitmap, bytes);
        return bitmap;
    }

    private static int[] words(Bitmap bitmap) {
        int[] words = new int[bitmap.getWidth() * bitmap.getHeight()];
        for (int y = 0; y < bitmap.getHeight(); y++) {
            for (int x = 0; x < bitmap.getWidth(); x++) {
                words[y * bitmap.getWidth() + x] = BitmapTestHooks.word(bitmap, x, y);
            }
        }
        return words;
    }

    private static void assertLocksPaired(Bitmap bitmap) {
        assertEquals(0, BitmapTestHooks.outstandingLocks(bitmap), "outstanding locks");
        assertEquals(0, BitmapTestHooks.unmatchedUnlocks(bitmap), "unlocks without a lock");
    }

    /**
     * Converts with {@code night} and checks every word, the row padding, the guards, and whether
     * the renderer was told of the change: for every bitmap before API 30, for mutable ones after.
     */
    private static void assertConverts(Bitmap bitmap, boolean night) {
        int[] before = words(bitmap);
        // Flags are 0 before API 30, which says premultiplied.
        boolean premultiplied = bitmap.isPremultiplied() || Build.VERSION.SDK_INT < 30;
        int generation = bitmap.getGenerationId();
        byte[] memoryBefore = BitmapTestHooks.memory(bitmap);
        int locksBefore = BitmapTestHooks.locksTaken(bitmap);
        if (night) {
            ImeGraphics.glSetNight(bitmap);
        } else {
            ImeGraphics.glSetToDayMode(bitmap);
        }
        int[] after = words(bitmap);
        for (int i = 0; i < before.length; i++) {
            int want = Reference.convert(before[i], night, premultiplied);
            assertEquals(want, after[i], "pixel " + i + " of " + bitmap.getWidth() + "x" + bitmap.getHeight());
        }
        byte[] memoryAfter = BitmapTestHooks.memory(bitmap);
        int rowBytes = bitmap.getRowBytes();
        int first = memoryAfter.length - 64 - rowBytes * bitmap.getHeight();
        for (int i = 0; i < memoryAfter.length; i++) {
            boolean pixel = i >= first && i < first + rowBytes * bitmap.getHeight()
                    && (i - first) % rowBytes < 4 * bitmap.getWidth();
            if (!pixel) {
                assertEquals(memoryBefore[i], memoryAfter[i], "byte " + i + " outside the pixels");
            }
        }
        assertTrue(BitmapTestHooks.guardsIntact(bitmap));
        assertLocksPaired(bitmap);
        assertEquals(locksBefore + 1, BitmapTestHooks.locksTaken(bitmap));
        assertEquals(Build.VERSION.SDK_INT < 30 || bitmap.isMutable(),
                bitmap.getGenerationId() != generation, "change reported to the renderer");
    }

    @Test
    void oneWhitePixelNightThenDay() {
        Bitmap bitmap = Bitmap.createBitmap(1, 1, Bitmap.Config.ARGB_8888);
        bitmap.setPixel(0, 0, 0xFFFFFFFF);
        ImeGraphics.glSetNight(bitmap);
        assertEquals(0xFF888888, BitmapTestHooks.word(bitmap, 0, 0));
        ImeGraphics.glSetToDayMode(bitmap);
        assertEquals(0xFFFEFEFE, BitmapTestHooks.word(bitmap, 0, 0));
        assertEquals(2, BitmapTestHooks.locksTaken(bitmap));
        assertLocksPaired(bitmap);
    }

    @Test
    void nightTwiceDarkensTwice() {
        Bitmap bitmap = Bitmap.createBitmap(3, 2, Bitmap.Config.ARGB_8888);
        bitmap.eraseColor(0xFFFFFFFF);
        ImeGraphics.glSetNight(bitmap);
        ImeGraphics.glSetNight(bitmap);
        for (int w : words(bitmap)) {
            assertEquals(0xFF393939, w);
        }
        assertLocksPaired(bitmap);
    }

    @Test
    void channelsKeepTheirPlacesThroughGetPixel() {
        Bitmap bitmap = Bitmap.createBitmap(2, 1, Bitmap.Config.ARGB_8888);
        bitmap.setPixel(0, 0, 0xFF336699);
        bitmap.setPixel(1, 0, 0x00ABCDEF);
        ImeGraphics.glSetNight(bitmap);
        assertEquals(0xFF002244, bitmap.getPixel(0, 0));
        assertEquals(0x00000000, BitmapTestHooks.word(bitmap, 1, 0) & 0xFF000000);
        ImeGraphics.glSetToDayMode(bitmap);
        assertEquals(ImeGraphics.glSetDayColor(0xFF002244), bitmap.getPixel(0, 0));
    }

    /**
     * Each alpha mode the device reports, and an immutable bitmap, which locks and converts like
     * any other but whose change the renderer hears of only before API 30.
     */
    private enum AlphaMode {
        PREMULTIPLIED, UNPREMULTIPLIED, OPAQUE, IMMUTABLE;

        Bitmap apply(Bitmap bitmap) {
            switch (this) {
                case UNPREMULTIPLIED:
                    bitmap.setPremultiplied(false);
                    return bitmap;
                case OPAQUE:
                    bitmap.setHasAlpha(false);
                    return bitmap;
                case IMMUTABLE: {
                    // An immutable copy, as BitmapFactory hands out: createBitmap would give this
                    // mutable bitmap a mutable copy, and refuses to draw an unpremultiplied one.
                    bitmap.setPremultiplied(false);
                    Bitmap immutable = bitmap.copy(Bitmap.Config.ARGB_8888, false);
                    assertFalse(immutable.isMutable());
                    return immutable;
                }
                default:
                    return bitmap;
            }
        }
    }

    @ParameterizedTest
    @EnumSource(AlphaMode.class)
    void everyWidthAtSeveralStartsInEachAlphaMode(AlphaMode mode) {
        for (int width = 1; width <= 100; width++) {
            for (int offset = 0; offset < 16; offset += 4) {
                Bitmap bitmap = mode.apply(randomBitmap(width, 3, 0, offset, width * 31L + offset));
                assertConverts(bitmap, width % 2 == 0);
            }
        }
    }

    @Test
    void translucentShadowsStayValidPremultipliedData() {
        Bitmap bitmap = Bitmap.createBitmap(3, 1, Bitmap.Config.ARGB_8888);
        BitmapTestHooks.setWord(bitmap, 0, 0, 0x1E000000);
        BitmapTestHooks.setWord(bitmap, 1, 0, 0x14FFFFFF);
        BitmapTestHooks.setWord(bitmap, 2, 0, 0x80000000);
        ImeGraphics.glSetToDayMode(bitmap);
        assertArrayEquals(new int[] {0x1E1E1E1E, 0x14141414, 0x80313131}, words(bitmap));
    }

    @ParameterizedTest
    @ValueSource(ints = {1, 3, 4, 12, 100})
    void paddedRowsConvertEveryRowAndKeepThePadding(int pad) {
        for (int width : new int[] {1, 5, 8, 33}) {
            assertConverts(randomBitmap(width, 7, pad, 0, pad * 7L + width), true);
            assertConverts(randomBitmap(width, 7, pad, 4, pad * 5L + width), false);
        }
    }

    /** Whether the release the stand-ins are told to be has {@code config}. */
    private static boolean exists(Bitmap.Config config) {
        switch (config) {
            case RGBA_F16:
            case HARDWARE:
                return Build.VERSION.SDK_INT >= 26;
            case RGBA_1010102:
                return Build.VERSION.SDK_INT >= 33;
            default:
                return true;
        }
    }

    @ParameterizedTest
    @EnumSource(value = Bitmap.Config.class, names = {"ARGB_8888"}, mode = EnumSource.Mode.EXCLUDE)
    void otherConfigsAreNeitherLockedNorChanged(Bitmap.Config config) {
        assumeTrue(exists(config));
        Bitmap bitmap;
        if (config == Bitmap.Config.HARDWARE) {
            bitmap = randomBitmap(9, 4, 0, 0, 4).copy(config, false);
        } else {
            bitmap = BitmapTestHooks.create(9, 4, config, 9 * 8, 0);
            byte[] bytes = new byte[9 * 8 * 4];
            new SplittableRandom(config.ordinal()).nextBytes(bytes);
            BitmapTestHooks.fill(bitmap, bytes);
        }
        byte[] before = BitmapTestHooks.memory(bitmap);
        ImeGraphics.glSetNight(bitmap);
        ImeGraphics.glSetToDayMode(bitmap);
        assertArrayEquals(before, BitmapTestHooks.memory(bitmap));
        assertEquals(0, BitmapTestHooks.locksTaken(bitmap));
        assertLocksPaired(bitmap);
    }

    @ParameterizedTest
    @ValueSource(ints = {BAD_PARAMETER, JNI_EXCEPTION, ALLOCATION_FAILED})
    void failuresLeaveTheBitmapAlone(int result) {
        Bitmap noInfo = randomBitmap(8, 8, 0, 0, 1);
        BitmapTestHooks.failGetInfo(noInfo, result);
        byte[] before = BitmapTestHooks.memory(noInfo);
        ImeGraphics.glSetNight(noInfo);
        assertArrayEquals(before, BitmapTestHooks.memory(noInfo));
        assertEquals(0, BitmapTestHooks.locksTaken(noInfo));

        Bitmap noLock = randomBitmap(8, 8, 0, 0, 2);
        BitmapTestHooks.failLock(noLock, result);
        before = BitmapTestHooks.memory(noLock);
        ImeGraphics.glSetToDayMode(noLock);
        assertArrayEquals(before, BitmapTestHooks.memory(noLock));
        assertLocksPaired(noLock);
    }

    @Test
    void emptyAndBrokenGeometryIsLockedAndUnlockedOnly() {
        Bitmap[] bitmaps = {
            BitmapTestHooks.create(0, 5, Bitmap.Config.ARGB_8888, 0, 0),
            BitmapTestHooks.create(5, 0, Bitmap.Config.ARGB_8888, 20, 0),
            BitmapTestHooks.create(5, 3, Bitmap.Config.ARGB_8888, 19, 0),
        };
        for (Bitmap bitmap : bitmaps) {
            byte[] before = BitmapTestHooks.memory(bitmap);
            ImeGraphics.glSetNight(bitmap);
            assertArrayEquals(before, BitmapTestHooks.memory(bitmap));
            assertEquals(1, BitmapTestHooks.locksTaken(bitmap));
            assertLocksPaired(bitmap);
        }
    }

    @Test
    void recycledAndNullBitmapsAreIgnored() {
        Bitmap bitmap = randomBitmap(4, 4, 0, 0, 3);
        bitmap.recycle();
        byte[] before = BitmapTestHooks.memory(bitmap);
        ImeGraphics.glSetNight(bitmap);
        ImeGraphics.glSetToDayMode(null);
        ImeGraphics.glSetNight(null);
        assertArrayEquals(before, BitmapTestHooks.memory(bitmap));
        assertEquals(0, BitmapTestHooks.locksTaken(bitmap));
    }
}
