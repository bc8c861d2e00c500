package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotNull;
import static org.junit.Assert.assertTrue;

import android.graphics.Bitmap;
import android.graphics.BitmapFactory;
import android.os.Build;
import java.io.ByteArrayOutputStream;
import java.util.ArrayList;
import java.util.List;
import java.util.SplittableRandom;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;

/**
 * The copies and the in-place pass on Android's own Bitmap code, through the tier's
 * libjnigraphics.so. Pixels are compared as stored words: the mapping treats the three colour
 * channels alike and keeps alpha in the top byte, so the host's byte order does not matter.
 */
@RunWith(RobolectricTestRunner.class)
public class FrameworkBitmapTest {
    private static final int WIDTH = 7;
    private static final int HEIGHT = 3;
    // Unpremultiplied colours: opaque, translucent, transparent, faint, and channels that night
    // and day push past their alpha once premultiplied.
    private static final int[] COLOURS = {
        0xFFFFFFFF, 0xFF000000, 0xFF336699, 0x80FFFFFF, 0x80000000, 0x00000000, 0x00FFFFFF,
        0x01FFFFFF, 0x40102030, 0x7F808080, 0xC0FF00FF, 0x20FFFFFF, 0xFE010203, 0x10F0E0D0,
        0xFF888888, 0x33CC9966, 0x02000000, 0xA0A0A0A0, 0xFFFF0000, 0x6000FF00, 0x9F0000FF,
    };

    private static final class Source {
        final String name;
        final Bitmap bitmap;

        Source(String name, Bitmap bitmap) {
            assertNotNull(name, bitmap);
            this.name = name + " (" + bitmap.getConfig()
                    + (bitmap.isMutable() ? ", mutable)" : ")");
            this.bitmap = bitmap;
        }
    }

    private static int sdk() {
        return Build.VERSION.SDK_INT;
    }

    /**
     * Every config the platform has, each made mutable by createBitmap (HARDWARE cannot be),
     * copied immutable and decoded from a PNG, plus an unpremultiplied ARGB_8888 bitmap, whose
     * copy stays unpremultiplied. Each row is named by what was asked and what came: the platform
     * makes ARGB_8888 of createBitmap's ARGB_4444, Robolectric of every HARDWARE request, and the
     * decoder of this translucent PNG for every config but RGBA_F16.
     */
    private static List<Source> sources() {
        Bitmap base = Bitmap.createBitmap(WIDTH, HEIGHT, Bitmap.Config.ARGB_8888);
        base.setPixels(COLOURS, 0, WIDTH, 0, 0, WIDTH, HEIGHT);
        ByteArrayOutputStream png = new ByteArrayOutputStream();
        assertTrue(base.compress(Bitmap.CompressFormat.PNG, 100, png));
        byte[] bytes = png.toByteArray();
        List<Source> sources = new ArrayList<>();
        for (Bitmap.Config config : Bitmap.Config.values()) {
            // Robolectric's native runtime aborts the process on making an RGBA_1010102 bitmap
            // at SDK 33 and 34 ("unknown bitmap configuration"), by createBitmap or copy alike.
            if (config.name().equals("RGBA_1010102") && sdk() < 35) {
                continue;
            }
            if (!config.name().equals("HARDWARE")) {
                Bitmap mutable = Bitmap.createBitmap(WIDTH, HEIGHT, config);
                mutable.setPixels(COLOURS, 0, WIDTH, 0, 0, WIDTH, HEIGHT);
                sources.add(new Source("createBitmap " + config, mutable));
            }
            sources.add(new Source("copy " + config, base.copy(config, false)));
            BitmapFactory.Options options = new BitmapFactory.Options();
            options.inPreferredConfig = config;
            sources.add(new Source("decoded as " + config,
                    BitmapFactory.decodeByteArray(bytes, 0, bytes.length, options)));
        }
        Bitmap unpremultiplied = Bitmap.createBitmap(WIDTH, HEIGHT, Bitmap.Config.ARGB_8888);
        unpremultiplied.setPremultiplied(false);
        unpremultiplied.setPixels(COLOURS, 0, WIDTH, 0, 0, WIDTH, HEIGHT);
        sources.add(new Source("unpremultiplied", unpremultiplied));
        return sources;
    }

    private static int[] pixels(Bitmap bitmap) {
        int[] pixels = new int[bitmap.getWidth() * bitmap.getHeight()];
        bitmap.getPixels(pixels, 0, bitmap.getWidth(), 0, 0, bitmap.getWidth(), bitmap.getHeight());
        return pixels;
    }

    /** What the pass must make of stored words: clamped where the flags say premultiplied. */
    private static int[] converted(int[] words, boolean night, boolean premultiplied) {
        boolean clamp = sdk() < 30 || premultiplied;
        int[] result = new int[words.length];
        for (int i = 0; i < words.length; i++) {
            result[i] = Reference.convert(words[i], night, clamp);
        }
        return result;
    }

    @Test
    public void copiesMapTheRealCopyAndLeaveTheSourceAlone() {
        for (Source source : sources()) {
            for (boolean night : new boolean[] {true, false}) {
                String row = source.name + (night ? ", night" : ", day");
                int[] before = pixels(source.bitmap);
                int generation = source.bitmap.getGenerationId();
                Bitmap plain = source.bitmap.copy(Bitmap.Config.ARGB_8888, true);
                Bitmap copy = night ? ImeGraphics.nightCopy(source.bitmap)
                                    : ImeGraphics.dayCopy(source.bitmap);
                assertArrayEquals(row, before, pixels(source.bitmap));
                assertEquals(row, generation, source.bitmap.getGenerationId());
                assertNotNull(row, copy);
                assertTrue(row, copy.isMutable());
                assertEquals(row, Bitmap.Config.ARGB_8888, copy.getConfig());
                assertArrayEquals(row, Reference.storedWords(Reference.copied(plain, night)),
                        Reference.storedWords(copy));
            }
        }
    }

    /**
     * canConvertInPlace says yes to an ARGB_8888 bitmap, mutable from API 30; the pass converts
     * every ARGB_8888 bitmap in place, immutable ones too, and leaves every other config alone.
     */
    @Test
    public void inPlaceOverTheSameSources() {
        for (Source source : sources()) {
            Bitmap bitmap = source.bitmap;
            boolean argb8888 = bitmap.getConfig() == Bitmap.Config.ARGB_8888;
            assertEquals(source.name, argb8888 && (bitmap.isMutable() || sdk() < 30),
                    ImeGraphics.canConvertInPlace(bitmap));
            int[] before = pixels(bitmap);
            int[] words = argb8888 ? Reference.storedWords(bitmap) : null;
            ImeGraphics.glSetNight(bitmap);
            if (argb8888) {
                assertArrayEquals(source.name,
                        converted(words, true, bitmap.isPremultiplied()),
                        Reference.storedWords(bitmap));
            } else {
                assertArrayEquals(source.name, before, pixels(bitmap));
            }
        }
    }

    /**
     * Premultiplied, unpremultiplied and opaque bitmaps of every run length up to 100 words, and
     * runs either side of the length from which the pass takes the widest vectors.
     */
    @Test
    public void inPlaceEveryRunLength() {
        List<int[]> sizes = new ArrayList<>();
        for (int width = 1; width <= 100; width++) {
            sizes.add(new int[] {width, 1});
        }
        sizes.add(new int[] {181, 181});
        sizes.add(new int[] {256, 128});
        sizes.add(new int[] {1031, 33});
        SplittableRandom random = new SplittableRandom(7);
        for (String mode : new String[] {"premultiplied", "unpremultiplied", "opaque"}) {
            for (int[] size : sizes) {
                for (boolean night : new boolean[] {true, false}) {
                    String row =
                            mode + " " + size[0] + "x" + size[1] + (night ? ", night" : ", day");
                    Bitmap bitmap = Bitmap.createBitmap(size[0], size[1], Bitmap.Config.ARGB_8888);
                    int[] colours = random.ints(size[0] * size[1]).toArray();
                    if (mode.equals("unpremultiplied")) {
                        bitmap.setPremultiplied(false);
                    } else if (mode.equals("opaque")) {
                        for (int i = 0; i < colours.length; i++) {
                            colours[i] |= 0xFF000000;
                        }
                        bitmap.setHasAlpha(false);
                    }
                    bitmap.setPixels(colours, 0, size[0], 0, 0, size[0], size[1]);
                    int[] words = Reference.storedWords(bitmap);
                    if (night) {
                        ImeGraphics.glSetNight(bitmap);
                    } else {
                        ImeGraphics.glSetToDayMode(bitmap);
                    }
                    assertArrayEquals(row, converted(words, night, bitmap.isPremultiplied()),
                            Reference.storedWords(bitmap));
                }
            }
        }
    }
}
