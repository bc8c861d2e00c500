package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import android.graphics.Bitmap;
import android.graphics.BitmapTestHooks;
import android.os.Build;
import java.util.Arrays;
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

    /**
     * A 9x4 bitmap of {@code config} with random stored bytes, in rows padded to 72 bytes; a
     * hardware one is copied from a random ARGB_8888 bitmap.
     */
    private static Bitmap randomBitmap(Bitmap.Config config, long seed) {
        if (config == Bitmap.Config.HARDWARE) {
            return randomBitmap(9, 4, 0, 0, seed).copy(config, false);
        }
        Bitmap bitmap = BitmapTestHooks.create(9, 4, config, 9 * 8, 0);
        byte[] bytes = new byte[9 * 8 * 4];
        new SplittableRandom(seed).nextBytes(bytes);
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
     * Converts with {@code night} and checks every word, the row padding, the guards, whether the
     * renderer was told of the change (for every bitmap before API 30, for mutable ones after), and
     * that canConvertInPlace, asked first, said whether the change would both happen and be told.
     */
    private static void assertConverts(Bitmap bitmap, boolean night) {
        boolean predicted = ImeGraphics.canConvertInPlace(bitmap);
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
        boolean reported = bitmap.getGenerationId() != generation;
        assertEquals(Build.VERSION.SDK_INT < 30 || bitmap.isMutable(), reported,
                "change reported to the renderer");
        assertEquals(!Arrays.equals(before, after) && reported, predicted, "canConvertInPlace");
    }

    /**
     * Makes a night or a day copy of {@code source} and checks that the source keeps its bytes and
     * generation id, and that the copy is a mutable ARGB_8888 bitmap with the alpha, premultiplied
     * state and density copy() gives, each pixel the mapping of the colour it shows, the change
     * told to the renderer.
     */
    private static void assertCopies(Bitmap source, boolean night) {
        byte[] memory = BitmapTestHooks.memory(source);
        int generation = source.getGenerationId();
        Bitmap plain = source.copy(Bitmap.Config.ARGB_8888, true);
        Bitmap copy = night ? ImeGraphics.nightCopy(source) : ImeGraphics.dayCopy(source);
        assertArrayEquals(memory, BitmapTestHooks.memory(source), "source written");
        assertEquals(generation, source.getGenerationId(), "source reported changed");
        assertEquals(Bitmap.Config.ARGB_8888, copy.getConfig());
        assertTrue(copy.isMutable());
        assertEquals(plain.hasAlpha(), copy.hasAlpha());
        assertEquals(plain.isPremultiplied(), copy.isPremultiplied());
        assertEquals(plain.getDensity(), copy.getDensity());
        assertArrayEquals(words(Reference.copied(plain, night)), words(copy));
        assertNotEquals(BitmapTestHooks.firstGenerationId(copy), copy.getGenerationId(),
                "change reported to the renderer");
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
        Bitmap bitmap = randomBitmap(config, config.ordinal());
        byte[] before = BitmapTestHooks.memory(bitmap);
        ImeGraphics.glSetNight(bitmap);
        ImeGraphics.glSetToDayMode(bitmap);
        assertArrayEquals(before, BitmapTestHooks.memory(bitmap));
        assertEquals(0, BitmapTestHooks.locksTaken(bitmap));
        assertLocksPaired(bitmap);
        assertFalse(ImeGraphics.canConvertInPlace(bitmap));
    }

    @ParameterizedTest
    @EnumSource(Bitmap.Config.class)
    void copiesOfEveryConfigAreConvertedAndTheSourceIsKept(Bitmap.Config config) {
        assumeTrue(exists(config));
        Bitmap source = randomBitmap(config, config.ordinal());
        source.setDensity(480);
        assertCopies(source, true);
        assertCopies(source, false);
    }

    /**
     * A bitmap held twice, as the drawables of one resource hold one (createBitmap hands an
     * immutable bitmap back itself): a night copy leaves both holders the day pixels, while
     * converting in place converts them for both.
     */
    @Test
    void sharedBitmapKeepsItsDayPixelsThroughACopyOnly() {
        Bitmap first = randomBitmap(16, 4, 0, 0, 11).copy(Bitmap.Config.ARGB_8888, false);
        Bitmap second = Bitmap.createBitmap(first);
        int[] day = words(first);
        Bitmap night = ImeGraphics.nightCopy(second);
        assertArrayEquals(day, words(first));
        ImeGraphics.glSetNight(second);
        assertArrayEquals(Arrays.stream(day).map(w -> Reference.convert(w, true, true)).toArray(),
                words(first));
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

        // A copy the pass cannot convert is no night or day copy.
        Bitmap source = randomBitmap(8, 8, 0, 0, 3);
        BitmapTestHooks.failLockOfCopies(source, result);
        before = BitmapTestHooks.memory(source);
        assertNull(ImeGraphics.nightCopy(source));
        assertNull(ImeGraphics.dayCopy(source));
        assertArrayEquals(before, BitmapTestHooks.memory(source));

        Bitmap uncopyable = randomBitmap(8, 8, 0, 0, 4);
        BitmapTestHooks.failCopies(uncopyable);
        assertNull(ImeGraphics.nightCopy(uncopyable));
        assertNull(ImeGraphics.dayCopy(uncopyable));
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
        assertFalse(ImeGraphics.canConvertInPlace(bitmap));
        assertFalse(ImeGraphics.canConvertInPlace(null));
        assertThrows(IllegalStateException.class, () -> ImeGraphics.nightCopy(bitmap));
        assertThrows(IllegalStateException.class, () -> ImeGraphics.dayCopy(bitmap));
        assertEquals("source", assertThrows(NullPointerException.class,
                () -> ImeGraphics.nightCopy(null)).getMessage());
        assertEquals("source", assertThrows(NullPointerException.class,
                () -> ImeGraphics.dayCopy(null)).getMessage());
    }
}
