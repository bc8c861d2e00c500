package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import android.graphics.Bitmap;
import android.graphics.BitmapTestHooks;
import java.util.ArrayList;
import java.util.List;
import java.util.SplittableRandom;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.Test;

/** Many threads through all five native methods at once, each on its own bitmaps and arrays. */
class ImeGraphicsStressTest {
    private static final int THREADS = 8;
    private static final int ROUNDS = 150;

    /** What one thread's calls produced: colour results, bitmap memory, arrays. */
    private record Outcome(List<Integer> colors, List<byte[]> bitmaps, int[] source, int[] destination,
            int outstandingLocks, int unmatchedUnlocks) {}

    private static Outcome work(long seed, CyclicBarrier start) throws Exception {
        SplittableRandom random = new SplittableRandom(seed);
        Bitmap.Config[] configs = {Bitmap.Config.ARGB_8888, Bitmap.Config.ARGB_8888, Bitmap.Config.RGB_565,
            Bitmap.Config.ALPHA_8};
        List<Bitmap> bitmaps = new ArrayList<>();
        for (int b = 0; b < 6; b++) {
            int width = 1 + random.nextInt(300);
            int height = 1 + random.nextInt(80);
            Bitmap.Config config = configs[b % configs.length];
            Bitmap bitmap = b % 3 == 0
                    ? BitmapTestHooks.create(width, height, config, width * 4 + random.nextInt(16), 4 * (b % 4))
                    : Bitmap.createBitmap(width, height, config);
            byte[] bytes = new byte[bitmap.getRowBytes() * height];
            random.nextBytes(bytes);
            BitmapTestHooks.fill(bitmap, bytes);
            bitmaps.add(bitmap);
        }
        int[] source = random.ints(1 + random.nextInt(400)).toArray();
        int[] destination = new int[random.nextInt(400)];

        if (start != null) {
            start.await();
        }
        List<Integer> colors = new ArrayList<>();
        for (int round = 0; round < ROUNDS; round++) {
            int color = random.nextInt();
            colors.add(ImeGraphics.glSetNightColor(color));
            colors.add(ImeGraphics.glSetDayColor(color));
            Bitmap bitmap = bitmaps.get(random.nextInt(bitmaps.size()));
            if (random.nextBoolean()) {
                ImeGraphics.glSetNight(bitmap);
            } else {
                ImeGraphics.glSetToDayMode(bitmap);
            }
            ImeGraphics.glChangeColor(source, destination, color);
        }
        List<byte[]> memory = new ArrayList<>();
        int outstanding = 0;
        int unmatched = 0;
        for (Bitmap bitmap : bitmaps) {
            memory.add(BitmapTestHooks.memory(bitmap));
            outstanding += BitmapTestHooks.outstandingLocks(bitmap);
            unmatched += BitmapTestHooks.unmatchedUnlocks(bitmap);
        }
        return new Outcome(colors, memory, source, destination, outstanding, unmatched);
    }

    @Test
    void concurrentCallsMatchOneThread() throws Exception {
        ExecutorService pool = Executors.newFixedThreadPool(THREADS);
        List<Future<Outcome>> together = new ArrayList<>();
        CyclicBarrier start = new CyclicBarrier(THREADS);
        try {
            for (int t = 0; t < THREADS; t++) {
                long seed = t;
                together.add(pool.submit(() -> work(seed, start)));
            }
            for (int t = 0; t < THREADS; t++) {
                Outcome concurrent = together.get(t).get();
                Outcome alone = work(t, null);
                assertEquals(alone.colors(), concurrent.colors());
                for (int b = 0; b < alone.bitmaps().size(); b++) {
                    assertArrayEquals(alone.bitmaps().get(b), concurrent.bitmaps().get(b), "bitmap " + b);
                }
                assertArrayEquals(alone.source(), concurrent.source());
                assertArrayEquals(alone.destination(), concurrent.destination());
                assertEquals(0, concurrent.outstandingLocks());
                assertEquals(0, concurrent.unmatchedUnlocks());
            }
        } finally {
            pool.shutdownNow();
        }
    }
}
