package com.zarnu.util;

import android.graphics.Bitmap;
import android.graphics.Bitmap.Config;
import android.os.Build;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import java.util.function.Supplier;
import java.util.function.UnaryOperator;

/**
 * What the host stand-ins model of android.graphics.Bitmap, as one table of facts read through
 * public API only, each with the value Android gives at the release Build.VERSION.SDK_INT names.
 * It runs on the stand-ins (StandInFactsTest) and on Android's own framework under Robolectric
 * (FrameworkFactsTest), so a stand-in rule that Android's code contradicts fails on one of them.
 * Sources whose bytes are the same on a device and on the host are filled by copyPixelsFromBuffer;
 * ARGB_8888 ones by setPixels, since their bytes are not (the host keeps B, G, R, A).
 */
@SuppressWarnings("deprecation") // ARGB_4444, deprecated on the platform, is one of the facts.
final class BitmapFacts {
    private BitmapFacts() {}

    private static final int DENSITY = 480;

    /** One fact: read from {@code fromSdk} to {@code toSdk}, it must give {@code expected}. */
    private static final class Fact {
        final String name;
        final int fromSdk;
        final int toSdk;
        final String expected;
        final Supplier<String> reader;

        Fact(String name, int fromSdk, int toSdk, String expected, Supplier<String> reader) {
            this.name = name;
            this.fromSdk = fromSdk;
            this.toSdk = toSdk;
            this.expected = expected;
            this.reader = reader;
        }
    }

    /**
     * Reads every fact that holds at this release and fails with all the differences.
     * {@code decode} gives what BitmapFactory makes of a bitmap written as a PNG; {@code unshown}
     * names the facts the backend cannot show at this release (a "copy of" a config it cannot
     * make: that config then counts as made when the release names it).
     */
    static void check(UnaryOperator<Bitmap> decode, Set<String> unshown) {
        List<String> differences = new ArrayList<>();
        int sdk = Build.VERSION.SDK_INT;
        for (Fact fact : table(decode, unshown)) {
            if (sdk < fact.fromSdk || sdk > fact.toSdk || unshown.contains(fact.name)) {
                continue;
            }
            String actual;
            try {
                actual = fact.reader.get();
            } catch (RuntimeException | LinkageError e) {
                actual = "threw " + e;
            }
            System.out.println("API " + sdk + " " + fact.name + ": " + actual);
            if (!fact.expected.equals(actual)) {
                differences.add(fact.name + "\n  expected " + fact.expected + "\n  but was  " + actual);
            }
        }
        if (!differences.isEmpty()) {
            throw new AssertionError("at API " + sdk + ":\n" + String.join("\n", differences));
        }
    }

    private static List<Fact> table(UnaryOperator<Bitmap> decode, Set<String> unshown) {
        String opaque = " alpha=false premultiplied=false density=480 mutable=true/false";
        String premultiplied = " alpha=true premultiplied=true density=480 mutable=true/false";
        List<Fact> t = new ArrayList<>();
        // copy(ARGB_8888, true) and copy(ARGB_8888, false) of each config: libs/hwui/jni/Bitmap.cpp,
        // Bitmap_copy and bitmapCopyTo (an RGB_565 copy opaque, an ALPHA_8 source black with its
        // alpha); Bitmap.java's copy() keeps the premultiplied request and the density.
        t.add(new Fact("copy of ARGB_8888", 1, 99,
                "80FF0000 40102030 C0FFFFFF" + premultiplied,
                () -> copied(argb(true))));
        t.add(new Fact("copy of unpremultiplied ARGB_8888", 1, 99,
                "80FF8040 01FFFFFF 00ABCDEF alpha=true premultiplied=false density=480 mutable=true/false",
                () -> copied(argb(false))));
        t.add(new Fact("copy of RGB_565", 1, 99,
                "FFFF0000 FF00FF00 FF0000FF" + opaque,
                () -> copied(raw(Config.RGB_565, 0xF800, 0x07E0, 0x001F))));
        t.add(new Fact("copy of ALPHA_8", 1, 99,
                "AA000000 00000000 FF000000" + premultiplied,
                () -> copied(raw(Config.ALPHA_8, 0xAA, 0x00, 0xFF))));
        // Stored R, G, B, A from the top nibble down, premultiplied.
        t.add(new Fact("copy of ARGB_4444", 1, 99,
                "FFFF0000 88FFFFFF FF884488" + premultiplied,
                () -> copied(raw(Config.ARGB_4444, 0xF00F, 0x8888, 0x848F))));
        // Half floats R, G, B, A out of 0 to 1, clamped; 0, 1 and beyond look alike in every
        // colour space the releases give an RGBA_F16 bitmap.
        t.add(new Fact("copy of RGBA_F16", 26, 99,
                "FFFF00FF FF00FFFF 00000000" + premultiplied,
                () -> copied(raw(Config.RGBA_F16, 0x4000, 0xB800, 0x3C00, 0x3C00,
                        0x0000, 0x3C00, 0x4400, 0x3C00, 0, 0, 0, 0))));
        t.add(new Fact("copy of HARDWARE", 26, 99,
                "80FF0000 40102030 C0FFFFFF" + premultiplied,
                () -> copied(argb(true).copy(Config.HARDWARE, false))));
        // Red in the low 10 bits, alpha in the top 2; a channel above its alpha reads as 255.
        t.add(new Fact("copy of RGBA_1010102", 33, 99,
                "FFFF0080 55FFFFFF 00000000" + premultiplied,
                () -> copied(raw(Config.valueOf("RGBA_1010102"),
                        3 << 30 | 512 << 20 | 1023, 1 << 30 | 0x3FFFFFFF, 0))));
        // Stored bytes FF FF FF 40, alike in either byte order: a premultiplied channel above its
        // alpha, read by getPixel (libs/hwui/jni/Bitmap.cpp, Bitmap_getPixel: SkBitmap::readPixels
        // from API 29; SkUnPreMultiply::PMColorToColor before, 255 * 255 / 64 = 0x3F8 spilling).
        t.add(new Fact("getPixel of a channel above its alpha", 1, 28, "43FBFBF8",
                () -> String.format("%08X", raw(Config.ARGB_8888, 0x40FFFFFF).getPixel(0, 0))));
        t.add(new Fact("getPixel of a channel above its alpha", 29, 99, "40FFFFFF",
                () -> String.format("%08X", raw(Config.ARGB_8888, 0x40FFFFFF).getPixel(0, 0))));
        // Stored bytes c c c 6 for c = 1, 3 and 5, alike in either byte order: 255 c / 6 lies
        // halfway between two values, which getPixel rounds up before API 29 (SkUnPreMultiply)
        // and to even from API 29 (SkRasterPipeline's unpremul and store_8888, in float).
        t.add(new Fact("getPixel of halves", 1, 28, "062B2B2B 06808080 06D5D5D5",
                BitmapFacts::halves));
        t.add(new Fact("getPixel of halves", 29, 99, "062A2A2A 06808080 06D4D4D4",
                BitmapFacts::halves));
        // One counter for the process (Skia's SkPixelRef.cpp, next_gen_id).
        t.add(new Fact("generation ids", 1, 99,
                "copy new=true two bitmaps share=false",
                BitmapFacts::generationIds));
        // Bitmap.java's createBitmap(source, x, y, width, height, m, filter); BaseCanvas.java's
        // throwIfCannotDraw.
        t.add(new Fact("createBitmap(Bitmap)", 1, 99,
                "immutable same=true mutable same=false unpremultiplied threw java.lang.RuntimeException",
                BitmapFacts::createFromBitmap));
        t.add(new Fact("createBitmap(w, h, ARGB_4444)", 1, 99, "ARGB_8888",
                () -> Bitmap.createBitmap(2, 2, Config.ARGB_4444).getConfig().name()));
        t.add(new Fact("configs", 1, 25,
                "ALPHA_8 RGB_565 ARGB_4444 ARGB_8888", () -> configs(unshown)));
        t.add(new Fact("configs", 26, 32,
                "ALPHA_8 RGB_565 ARGB_4444 ARGB_8888 RGBA_F16 HARDWARE", () -> configs(unshown)));
        t.add(new Fact("configs", 33, 99,
                "ALPHA_8 RGB_565 ARGB_4444 ARGB_8888 RGBA_F16 HARDWARE RGBA_1010102",
                () -> configs(unshown)));
        t.add(new Fact("decoded", 1, 99, "mutable=false createBitmap same=true", () -> {
            Bitmap decoded = decode.apply(argb(true));
            return "mutable=" + decoded.isMutable()
                    + " createBitmap same=" + (Bitmap.createBitmap(decoded) == decoded);
        }));
        // Bitmap.java's checkRecycled.
        t.add(new Fact("copy of a recycled bitmap", 1, 99,
                "threw java.lang.IllegalStateException: Can't copy a recycled bitmap", () -> {
                    Bitmap bitmap = Bitmap.createBitmap(1, 1, Config.ARGB_8888);
                    bitmap.recycle();
                    bitmap.copy(Config.ARGB_8888, true);
                    return "copied";
                }));
        return t;
    }

    /** A mutable 3x1 ARGB_8888 bitmap of fixed colours, premultiplied or not. */
    private static Bitmap argb(boolean premultiplied) {
        Bitmap bitmap = Bitmap.createBitmap(3, 1, Config.ARGB_8888);
        bitmap.setPremultiplied(premultiplied);
        int[] colors = premultiplied
                ? new int[] {0x80FF0000, 0x40102030, 0xC0FFFFFF}
                : new int[] {0x80FF8040, 0x01FFFFFF, 0x00ABCDEF};
        bitmap.setPixels(colors, 0, 3, 0, 0, 3, 1);
        return bitmap;
    }

    /**
     * A mutable bitmap of {@code config}, one row of {@code values} stored little-endian, each as
     * wide as one of its pixels' channels or pixels (a half float, a 16-bit or 32-bit pixel, a
     * byte). ARGB_4444 is reached through copy(), as createBitmap makes ARGB_8888 of it.
     */
    private static Bitmap raw(Config config, int... values) {
        int bytes = config == Config.ALPHA_8 ? 1
                : config == Config.RGB_565 || config == Config.ARGB_4444
                        || config == Config.RGBA_F16 ? 2 : 4;
        int channels = config == Config.RGBA_F16 ? 4 : 1;
        int width = values.length / channels;
        Bitmap bitmap = config == Config.ARGB_4444
                ? Bitmap.createBitmap(width, 1, Config.ARGB_8888).copy(config, true)
                : Bitmap.createBitmap(width, 1, config);
        ByteBuffer buffer = ByteBuffer.allocate(values.length * bytes).order(ByteOrder.LITTLE_ENDIAN);
        for (int v : values) {
            if (bytes == 1) {
                buffer.put((byte) v);
            } else if (bytes == 2) {
                buffer.putShort((short) v);
            } else {
                buffer.putInt(v);
            }
        }
        buffer.rewind();
        bitmap.copyPixelsFromBuffer(buffer);
        return bitmap;
    }

    /** The colours, alpha, premultiplied state and density of {@code source}'s ARGB_8888 copies. */
    private static String copied(Bitmap source) {
        source.setDensity(DENSITY);
        Bitmap copy = source.copy(Config.ARGB_8888, true);
        Bitmap immutable = source.copy(Config.ARGB_8888, false);
        StringBuilder s = new StringBuilder();
        for (int x = 0; x < copy.getWidth(); x++) {
            s.append(String.format("%08X ", copy.getPixel(x, 0)));
        }
        return s + "alpha=" + copy.hasAlpha() + " premultiplied=" + copy.isPremultiplied()
                + " density=" + copy.getDensity() + " mutable=" + copy.isMutable() + "/"
                + immutable.isMutable();
    }

    private static String halves() {
        Bitmap bitmap = raw(Config.ARGB_8888, 0x06010101, 0x06030303, 0x06050505);
        return String.format("%08X %08X %08X",
                bitmap.getPixel(0, 0), bitmap.getPixel(1, 0), bitmap.getPixel(2, 0));
    }

    private static String generationIds() {
        Bitmap first = Bitmap.createBitmap(1, 1, Config.ARGB_8888);
        Bitmap second = Bitmap.createBitmap(1, 1, Config.ARGB_8888);
        Bitmap copy = first.copy(Config.ARGB_8888, true);
        return "copy new=" + (copy.getGenerationId() != first.getGenerationId())
                + " two bitmaps share=" + (first.getGenerationId() == second.getGenerationId());
    }

    private static String createFromBitmap() {
        Bitmap mutable = argb(true);
        Bitmap immutable = mutable.copy(Config.ARGB_8888, false);
        String refused;
        try {
            Bitmap.createBitmap(argb(false));
            refused = "accepted";
        } catch (RuntimeException e) {
            refused = "threw " + e.getClass().getName();
        }
        return "immutable same=" + (Bitmap.createBitmap(immutable) == immutable)
                + " mutable same=" + (Bitmap.createBitmap(mutable) == mutable)
                + " unpremultiplied " + refused;
    }

    /**
     * The configs of which this release makes a copy: a name it does not know fails valueOf here,
     * and the stand-in's enum, which knows them all, refuses to make one (NoSuchFieldError). Under
     * Robolectric a HARDWARE copy is an ordinary ARGB_8888 bitmap in memory, so only its making
     * counts, not the config it reports.
     */
    private static String configs(Set<String> unshown) {
        String[] names = {"ALPHA_8", "RGB_565", "ARGB_4444", "ARGB_8888", "RGBA_F16", "HARDWARE",
            "RGBA_1010102"};
        Bitmap source = Bitmap.createBitmap(1, 1, Config.ARGB_8888);
        StringBuilder made = new StringBuilder();
        for (String name : names) {
            try {
                Config config = Config.valueOf(name);
                if (unshown.contains("copy of " + name) || source.copy(config, false) != null) {
                    made.append(made.length() == 0 ? "" : " ").append(name);
                }
            } catch (IllegalArgumentException | NoSuchFieldError e) {
                // Not in this release.
            }
        }
        return made.toString();
    }
}
