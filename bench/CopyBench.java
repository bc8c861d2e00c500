package com.zarnu.util;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotEquals;
import static org.junit.Assert.assertTrue;

import android.graphics.Bitmap;
import android.graphics.Canvas;
import android.graphics.Paint;
import android.graphics.RadialGradient;
import android.graphics.RectF;
import android.graphics.Shader;
import android.os.Build;
import java.lang.reflect.Method;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.Random;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;

/**
 * What a night copy costs, and each of its parts, on Android's own Bitmap code (Robolectric's
 * native graphics: hwui and Skia built for the host), against the fastest way to get a copy at
 * all, {@code source.copy(ARGB_8888, true)}. Run by hand with bench/copy_bench.sh, never by the
 * test tiers; its assertions check the bench (its parts add up to what nightCopy makes, its
 * bitmaps are what their names say), never a speed.
 *
 * <p>Every part is timed once on each kind of bitmap in each round, in an order shuffled anew each
 * round, so that all see the machine in the same state; each starts with the source, the copy and
 * any buffer just touched (cache-resident), or, with {@code -Dcopybench.memory=true}, after a 96 MB
 * sweep that pushes them out of the caches (memory-resident).
 *
 * <p>The pass reaches the pixels through libjnigraphics.so, here the Robolectric tier's bridge,
 * whose lock copies them out with copyPixelsToBuffer and whose unlock copies them back with
 * copyPixelsFromBuffer; a device hands out the pixels themselves.
 */
@RunWith(RobolectricTestRunner.class)
public class CopyBench {
    private static final int WIDTH = 1080;
    private static final int HEIGHT = 720;
    /** Pixels the copy reads at a time, as TranslucentPixels reads them. */
    private static final int BATCH = 16384;
    private static final int ROUNDS = Integer.getInteger("copybench.rounds", 41);
    private static final int WARM_UP = Integer.getInteger("copybench.warmup", 5);
    private static final boolean MEMORY = Boolean.getBoolean("copybench.memory");

    /** Three times the last-level cache of the machines this runs on (32 MB). */
    private static final long[] SWEEP = MEMORY ? new long[12 << 20] : new long[0];
    private static volatile long sink;
    /** The buffer the bridge's two copies are timed through. */
    private static final ByteBuffer BUFFER = ByteBuffer.allocateDirect(WIDTH * HEIGHT * 4);

    /**
     * The copy's read and write-back, private to ImeGraphics, reached by reflection so that the
     * bench times the library's own code. A class of their own, made on first use in the sandbox:
     * JUnit initialises the test class outside it too, where the library must not be loaded.
     */
    private static final class Copy {
        static final Method MAPPED = method("mapped", Bitmap.class, int[].class);
        static final Method WRITE_TO = method("writeTo", Bitmap.class);
        /** Each channel value at night, as nightCopy maps it. */
        static final int[] NIGHT = new int[256];

        static {
            for (int v = 0; v < 256; v++) {
                NIGHT[v] = ImeGraphics.glSetNightColor(0xFF000000 | v * 0x010101) & 0xFF;
            }
        }

        /** Reads the copy's translucent pixels and maps them, as nightCopy does before its pass. */
        static Object mapped(Bitmap copy) throws ReflectiveOperationException {
            return MAPPED.invoke(null, copy, NIGHT);
        }

        /** Writes the held pixels back over the pass's, as nightCopy does after it. */
        static void writeTo(Object held, Bitmap copy) throws ReflectiveOperationException {
            WRITE_TO.invoke(held, copy);
        }

        private static Method method(String name, Class<?>... parameters) {
            try {
                Method method = Class.forName("com.zarnu.util.ImeGraphics$TranslucentPixels")
                        .getDeclaredMethod(name, parameters);
                method.setAccessible(true);
                return method;
            } catch (ReflectiveOperationException e) {
                throw new AssertionError("ImeGraphics's copy is no longer made as this bench knows",
                        e);
            }
        }
    }

    private static Bitmap copyOf(Bitmap source) {
        return source.copy(Bitmap.Config.ARGB_8888, true);
    }

    /** A bitmap to copy, with its translucent pixels and the runs along its rows they lie in. */
    private static final class Kind {
        final String name;
        final Bitmap source;
        final boolean hasAlpha;
        int translucent;
        int runs;

        Kind(String name, Bitmap source) {
            this.name = name;
            this.source = source;
            hasAlpha = source.hasAlpha();
            int[] pixels = new int[WIDTH * HEIGHT];
            source.getPixels(pixels, 0, WIDTH, 0, 0, WIDTH, HEIGHT);
            for (int i = 0; hasAlpha && i < pixels.length; i++) {
                if (translucent(pixels[i])) {
                    translucent++;
                    runs += i % WIDTH == 0 || !translucent(pixels[i - 1]) ? 1 : 0;
                }
            }
        }

        private static boolean translucent(int colour) {
            int alpha = colour >>> 24;
            return alpha != 0 && alpha != 0xFF;
        }
    }

    /**
     * A keyboard of four rows of keys: light rounded keys with dark labels, at fractional
     * positions as a layout scaled to the screen puts them, so that every edge, not the corners
     * alone, is antialiased; over transparent gaps, or over an opaque backdrop.
     */
    private static Bitmap keyboard(boolean backdrop) {
        Bitmap bitmap = Bitmap.createBitmap(WIDTH, HEIGHT, Bitmap.Config.ARGB_8888);
        Canvas canvas = new Canvas(bitmap);
        if (backdrop) {
            canvas.drawColor(0xFFD1D5DB);
        }
        Paint key = new Paint(Paint.ANTI_ALIAS_FLAG);
        key.setColor(0xFFFFFFFF);
        Paint label = new Paint(Paint.ANTI_ALIAS_FLAG);
        label.setColor(0xFF202124);
        label.setTextSize(64);
        label.setTextAlign(Paint.Align.CENTER);
        String[] rows = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM", " "};
        float pitchX = WIDTH / 10f;
        float pitchY = HEIGHT / 4f;
        for (int r = 0; r < rows.length; r++) {
            String row = rows[r];
            float keyWidth = row.equals(" ") ? pitchX * 5 : pitchX;
            float left0 = (WIDTH - keyWidth * row.length()) / 2;
            for (int k = 0; k < row.length(); k++) {
                RectF face = new RectF(left0 + k * keyWidth + 5.3f, r * pitchY + 9.6f,
                        left0 + (k + 1) * keyWidth - 5.3f, (r + 1) * pitchY - 9.6f);
                canvas.drawRoundRect(face, 14.5f, 14.5f, key);
                canvas.drawText(row.substring(k, k + 1), face.centerX(), face.centerY() + 22,
                        label);
            }
        }
        return bitmap;
    }

    /** A glow: a translucent radial gradient over the whole bitmap, as a shadow or glow layer. */
    private static Bitmap glow() {
        Bitmap bitmap = Bitmap.createBitmap(WIDTH, HEIGHT, Bitmap.Config.ARGB_8888);
        Paint paint = new Paint();
        paint.setShader(new RadialGradient(WIDTH / 2f, HEIGHT / 2f, 620, 0xC04285F4, 0x004285F4,
                Shader.TileMode.CLAMP));
        new Canvas(bitmap).drawRect(0, 0, WIDTH, HEIGHT, paint);
        return bitmap;
    }

    /** The parts timed; the last five work on a copy made before them, untimed. */
    private enum Part {
        COPY("copy alone (floor)"),
        BEFORE("before: copy + glSetNight"),
        AFTER("after: nightCopy"),
        PASS("pass alone (glSetNight, bridge included)"),
        BRIDGE("bridge's two copies alone"),
        READ("read: getPixels + scan"),
        GET_PIXELS("getPixels alone, same batches"),
        WRITE("write-back: a setPixels a run");

        final String label;

        Part(String label) {
            this.label = label;
        }

        /** Whether an opaque copy takes this part too; nightCopy skips the others for it. */
        boolean opaqueToo() {
            return compareTo(READ) < 0;
        }
    }

    /** Returns the nanoseconds a part took on a bitmap of a kind. */
    private static long time(Part part, Kind kind) throws ReflectiveOperationException {
        // The source just touched, and the allocator just handed back a bitmap's worth of memory,
        // whichever part ran before.
        copyOf(kind.source).recycle();
        Bitmap copy = part.compareTo(Part.PASS) >= 0 ? copyOf(kind.source) : null;
        int[] batch = part == Part.GET_PIXELS ? new int[BATCH / WIDTH * WIDTH] : null;
        Object held = null;
        if (part == Part.BRIDGE) {
            copy.copyPixelsToBuffer(BUFFER.clear());  // the buffer too just touched
            BUFFER.clear();
        } else if (part == Part.WRITE) {
            held = Copy.mapped(copy);
            ImeGraphics.glSetNight(copy);
        }
        // Memory-resident: a line of every 64 bytes of SWEEP read, nothing else left cached.
        long sum = 0;
        for (int i = 0; i < SWEEP.length; i += 8) {
            sum += SWEEP[i];
        }
        sink += sum;
        long start = System.nanoTime();
        switch (part) {
            case COPY -> copy = copyOf(kind.source);
            case BEFORE -> {  // the copy before 2.0.0
                copy = copyOf(kind.source);
                int generation = copy.getGenerationId();
                ImeGraphics.glSetNight(copy);
                assertNotEquals(generation, copy.getGenerationId());
            }
            case AFTER -> copy = ImeGraphics.nightCopy(kind.source);
            case PASS -> ImeGraphics.glSetNight(copy);
            case BRIDGE -> {
                copy.copyPixelsToBuffer(BUFFER);
                copy.copyPixelsFromBuffer(BUFFER.rewind());
            }
            case READ -> Copy.mapped(copy);
            case GET_PIXELS -> {
                for (int top = 0; top < HEIGHT; top += BATCH / WIDTH) {
                    copy.getPixels(batch, 0, WIDTH, 0, top, WIDTH,
                            Math.min(BATCH / WIDTH, HEIGHT - top));
                }
            }
            case WRITE -> Copy.writeTo(held, copy);
        }
        long end = System.nanoTime();
        copy.recycle();
        return end - start;
    }

    /** The parts that nightCopy is made of give what it gives, on every kind. */
    private static void checkParts(Kind kind) throws ReflectiveOperationException {
        Bitmap expected = ImeGraphics.nightCopy(kind.source);
        Bitmap copy = copyOf(kind.source);
        Object held = kind.hasAlpha ? Copy.mapped(copy) : null;
        ImeGraphics.glSetNight(copy);
        if (held != null) {
            Copy.writeTo(held, copy);
        }
        assertTrue(kind.name, expected.sameAs(copy));
        expected.recycle();
        copy.recycle();
    }

    @Test
    public void copies() throws ReflectiveOperationException {
        assertTrue("the library is not loaded", ImeGraphics.isAvailable());
        Bitmap opaque = keyboard(true);
        opaque.setHasAlpha(false);
        Kind[] kinds = {
            new Kind("opaque (hasAlpha false)", opaque),
            new Kind("alpha, every pixel opaque", keyboard(true)),
            new Kind("keyboard skin", keyboard(false)),
            new Kind("glow layer", glow()),
        };
        assertFalse(kinds[0].hasAlpha);
        assertEquals(0, kinds[1].translucent);
        assertNotEquals(0, kinds[2].translucent);
        for (Kind kind : kinds) {
            checkParts(kind);
        }
        Part[] parts = Part.values();
        long[][][] nanos = new long[parts.length][kinds.length][ROUNDS];
        // Every part on every kind once a round, in an order shuffled anew each round, so that
        // no part always follows the same one.
        List<int[]> order = new ArrayList<>();
        for (Part part : parts) {
            for (int k = 0; k < kinds.length; k++) {
                if (kinds[k].hasAlpha || part.opaqueToo()) {
                    order.add(new int[] {part.ordinal(), k});
                }
            }
        }
        Random random = new Random(1);
        for (int round = -WARM_UP; round < ROUNDS; round++) {
            System.gc();
            Collections.shuffle(order, random);
            for (int[] task : order) {
                long t = time(parts[task[0]], kinds[task[1]]);
                if (round >= 0) {
                    nanos[task[0]][task[1]][round] = t;
                }
            }
        }
        for (long[][] part : nanos) {
            for (long[] rounds : part) {
                Arrays.sort(rounds);
            }
        }
        report(kinds, parts, nanos);
    }

    /** Prints the median of every part on every kind, in us and times the floor. */
    private static void report(Kind[] kinds, Part[] parts, long[][][] sorted) {
        System.out.printf("%nCopyBench: %d x %d ARGB_8888, SDK %d, %s %s, %d rounds after %d to"
                + " warm up, %s%n%n| median, us (times the floor) |", WIDTH, HEIGHT,
                Build.VERSION.SDK_INT, System.getProperty("java.vm.name"),
                System.getProperty("java.version"), ROUNDS, WARM_UP,
                MEMORY ? "memory-resident (a 96 MB sweep before every timed part)"
                        : "cache-resident (source, copy and buffers touched just before)");
        for (Kind kind : kinds) {
            System.out.print(kind.hasAlpha ? String.format(" %s, %.2f%% translucent in %d runs |",
                    kind.name, 100.0 * kind.translucent / (WIDTH * HEIGHT), kind.runs)
                    : " " + kind.name + " |");
        }
        System.out.printf("%n|---|%s%n", "---|".repeat(kinds.length));
        for (Part part : parts) {
            StringBuilder line = new StringBuilder("| ").append(part.label).append(" |");
            for (int k = 0; k < kinds.length; k++) {
                double us = sorted[part.ordinal()][k][ROUNDS / 2] / 1000.0;
                double floor = sorted[Part.COPY.ordinal()][k][ROUNDS / 2] / 1000.0;
                line.append(kinds[k].hasAlpha || part.opaqueToo()
                        ? String.format(" %.0f (%.2f) |", us, us / floor) : " - |");
            }
            System.out.println(line);
        }
    }
}
