package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;
import static org.junit.Assume.assumeTrue;

import android.content.Context;
import android.graphics.Bitmap;
import android.graphics.Canvas;
import android.graphics.ColorFilter;
import android.graphics.ColorMatrixColorFilter;
import android.graphics.ColorSpace;
import android.graphics.Paint;
import android.os.Build;
import android.view.View;
import android.widget.FrameLayout;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;
import org.robolectric.RuntimeEnvironment;

/**
 * The colour filters on Android's own drawing code (hwui over Skia's CPU raster; devices draw
 * hardware-accelerated views on the GPU, which is not reached here). Each way of drawing renders
 * the same content with no filter and through a filter; every pixel the plain render leaves
 * opaque must come out as the library maps it, and every translucent one near the mapping of the
 * colour it shows.
 */
@RunWith(RobolectricTestRunner.class)
public class FrameworkFilterTest {
    private static final int SIZE = 256;

    /**
     * Row a holds alpha a, column v the colour whose red is v, green 7v and blue 13v (mod 256), so
     * that the opaque row gives every channel every value; unpremultiplied colours, stored
     * premultiplied.
     */
    private static Bitmap everyColour() {
        int[] colours = new int[SIZE * SIZE];
        for (int a = 0; a < SIZE; a++) {
            for (int v = 0; v < SIZE; v++) {
                colours[a * SIZE + v] = a << 24 | v << 16 | (7 * v & 0xFF) << 8 | (13 * v & 0xFF);
            }
        }
        Bitmap bitmap = Bitmap.createBitmap(SIZE, SIZE, Bitmap.Config.ARGB_8888);
        bitmap.setPixels(colours, 0, SIZE, 0, 0, SIZE, SIZE);
        return bitmap;
    }

    /**
     * The ways an app draws through a filter, each a SIZE x SIZE render of a source made by
     * everyColour(), through a filter or none.
     */
    private enum Way {
        DRAW_BITMAP {
            @Override
            void draw(Canvas canvas, Bitmap source, ColorFilter filter) {
                canvas.drawBitmap(source, 0, 0, paint(filter));
            }
        },
        /** A view whose layer paint holds the filter, drawn by its parent. */
        SOFTWARE_LAYER {
            @Override
            void draw(Canvas canvas, Bitmap source, ColorFilter filter) {
                drawLayer(canvas, source, filter, View.LAYER_TYPE_SOFTWARE);
            }
        },
        /** On a software canvas, as a bitmap's is, a hardware layer is drawn as a software one. */
        HARDWARE_LAYER {
            @Override
            void draw(Canvas canvas, Bitmap source, ColorFilter filter) {
                drawLayer(canvas, source, filter, View.LAYER_TYPE_HARDWARE);
            }
        },
        /** Each colour of the source as a paint's colour, one pixel square each. */
        PAINT_COLOUR {
            @Override
            void draw(Canvas canvas, Bitmap source, ColorFilter filter) {
                Paint paint = paint(filter);
                for (int y = 0; y < SIZE; y++) {
                    for (int x = 0; x < SIZE; x++) {
                        paint.setColor(source.getPixel(x, y));
                        canvas.drawRect(x, y, x + 1, y + 1, paint);
                    }
                }
            }
        },
        /** Text in each opaque colour of the source: solid in the glyphs, antialiased at edges. */
        TEXT {
            @Override
            void draw(Canvas canvas, Bitmap source, ColorFilter filter) {
                Paint paint = paint(filter);
                paint.setAntiAlias(true);
                paint.setTextSize(14);
                for (int v = 0; v < SIZE; v++) {
                    paint.setColor(source.getPixel(v, SIZE - 1));
                    canvas.drawText("M", 16 * (v % 16) + 2, 16 * (v / 16) + 13, paint);
                }
            }
        };

        abstract void draw(Canvas canvas, Bitmap source, ColorFilter filter);

        Bitmap render(Bitmap source, ColorFilter filter) {
            Bitmap target = Bitmap.createBitmap(SIZE, SIZE, Bitmap.Config.ARGB_8888);
            draw(new Canvas(target), source, filter);
            return target;
        }

        static Paint paint(ColorFilter filter) {
            Paint paint = new Paint();
            paint.setColorFilter(filter);
            return paint;
        }

        static void drawLayer(Canvas canvas, Bitmap source, ColorFilter filter, int layerType) {
            Context context = RuntimeEnvironment.getApplication();
            View child = new View(context) {
                @Override
                protected void onDraw(Canvas canvas) {
                    canvas.drawBitmap(source, 0, 0, null);
                }
            };
            child.setLayerType(layerType, paint(filter));
            FrameLayout parent = new FrameLayout(context);
            parent.addView(child, new FrameLayout.LayoutParams(SIZE, SIZE));
            int exactly = View.MeasureSpec.makeMeasureSpec(SIZE, View.MeasureSpec.EXACTLY);
            parent.measure(exactly, exactly);
            parent.layout(0, 0, SIZE, SIZE);
            parent.draw(canvas);
        }
    }

    /**
     * How a filtered render differs from the mapping of its plain render. A stored word lines up
     * with a colour int here: Skia on x86-64 keeps B, G, R, A, read as 0xAARRGGBB.
     */
    private static final class Difference {
        int opaqueMismatches;
        /** Largest distance of a translucent pixel's stored channel from round(f(u) a / 255). */
        int translucent;
        /** Translucent stored channels above their alpha. */
        int aboveAlpha;

        Difference(Bitmap plain, Bitmap filtered, boolean night) {
            int[] stored = Reference.storedWords(filtered);
            for (int y = 0; y < plain.getHeight(); y++) {
                for (int x = 0; x < plain.getWidth(); x++) {
                    int shown = plain.getPixel(x, y);
                    int alpha = shown >>> 24;
                    if (alpha == 0xFF) {
                        int want = night ? Reference.night(shown) : Reference.day(shown);
                        if (filtered.getPixel(x, y) != want) {
                            opaqueMismatches++;
                        }
                    } else if (alpha != 0) {
                        int word = stored[y * plain.getWidth() + x];
                        for (int shift = 0; shift <= 16; shift += 8) {
                            int u = shown >>> shift & 0xFF;
                            int mapped =
                                    night ? Reference.nightChannel(u) : Reference.dayChannel(u);
                            int c = word >>> shift & 0xFF;
                            translucent = Math.max(translucent,
                                    Math.abs(c - (mapped * alpha + 127) / 255));
                            aboveAlpha += c > alpha ? 1 : 0;
                        }
                    }
                }
            }
        }
    }

    private static ColorFilter filter(boolean night) {
        return night ? ImeGraphics.nightColorFilter() : ImeGraphics.dayColorFilter();
    }

    /** The library's matrix with the plain translate, which is a level off here and there. */
    private static ColorFilter wrongFilter(boolean night) {
        float s = night ? 680f / 1024 : 1024f / 680;
        float t = night ? -33f : 49.694f;
        return new ColorMatrixColorFilter(new float[] {
            s, 0, 0, 0, t, 0, s, 0, 0, t, 0, 0, s, 0, t, 0, 0, 0, 1, 0});
    }

    private static int sdk() {
        return Build.VERSION.SDK_INT;
    }

    /**
     * Every way, night and day: opaque pixels exact, translucent ones within 1 of the mapping of
     * the colour they show by night and 2 by day (getPixel's rounding of that colour, which the
     * filter does not make, moves a day channel by up to 1.5 before its floor); from API 36 the
     * day filter, unclamped, leaves channels above their alpha. A translate of -33 or 49.694
     * instead fails every way.
     */
    @Test
    public void everyWayOfDrawingGivesTheLibrarysColours() {
        Bitmap source = everyColour();
        for (Way way : Way.values()) {
            Bitmap plain = way.render(source, null);
            for (boolean night : new boolean[] {true, false}) {
                String row = way + (night ? ", night" : ", day");
                Difference d = new Difference(plain, way.render(source, filter(night)), night);
                System.out.println("API " + sdk() + " " + row + ": " + d.opaqueMismatches
                        + " opaque mismatches, translucent within " + d.translucent + ", "
                        + d.aboveAlpha + " channels above their alpha");
                assertEquals(row, 0, d.opaqueMismatches);
                if (way == Way.TEXT) {
                    // Glyph edges follow the colour: textIsTextInTheMappedColour.
                } else if (night || sdk() <= 35) {
                    assertTrue(row, d.translucent <= (night ? 1 : 2));
                    assertEquals(row, 0, d.aboveAlpha);
                } else if (way == Way.DRAW_BITMAP) {
                    assertTrue(row, d.aboveAlpha > 0 && d.translucent <= 105);
                }
                Difference wrong =
                        new Difference(plain, way.render(source, wrongFilter(night)), night);
                assertTrue(row + " with a wrong translate", wrong.opaqueMismatches > 0);
            }
        }
    }

    /**
     * A copy and the filter's drawing of the same translucent bitmap: within 1 by night and 2 by
     * day, up to API 35 (getPixel's rounding again), and alike where opaque.
     */
    @Test
    public void copiesAgreeWithTheFilter() {
        Bitmap source = everyColour();
        for (boolean night : new boolean[] {true, false}) {
            if (!night && sdk() > 35) {
                continue;
            }
            Bitmap drawn = Way.DRAW_BITMAP.render(source, filter(night));
            Bitmap copy = night ? ImeGraphics.nightCopy(source) : ImeGraphics.dayCopy(source);
            int[] drawnWords = Reference.storedWords(drawn);
            int[] copyWords = Reference.storedWords(copy);
            int worst = 0;
            for (int i = 0; i < drawnWords.length; i++) {
                int alpha = copyWords[i] >>> 24;
                for (int shift = 0; shift < 32; shift += 8) {
                    int difference = Math.abs(
                            (drawnWords[i] >>> shift & 0xFF) - (copyWords[i] >>> shift & 0xFF));
                    assertTrue("opaque pixel " + i, alpha != 0xFF || difference == 0);
                    worst = Math.max(worst, difference);
                }
            }
            System.out.println("API " + sdk() + (night ? " night" : " day")
                    + ": copy and filter within " + worst);
            assertTrue(night ? "night" : "day", worst <= (night ? 1 : 2));
        }
    }

    /**
     * Skia renders a glyph's antialiased edge for the luminance of its colour, which it takes
     * after the filter: text through a filter is text in the mapped colour, alike up to API 35 and
     * within 1 from API 36.
     */
    @Test
    public void textIsTextInTheMappedColour() {
        Bitmap source = everyColour();
        for (boolean night : new boolean[] {true, false}) {
            Bitmap mapped = source.copy(Bitmap.Config.ARGB_8888, true);
            for (int v = 0; v < SIZE; v++) {
                int colour = source.getPixel(v, SIZE - 1);
                mapped.setPixel(v, SIZE - 1,
                        night ? Reference.night(colour) : Reference.day(colour));
            }
            int[] filtered = Reference.storedWords(Way.TEXT.render(source, filter(night)));
            int[] drawn = Reference.storedWords(Way.TEXT.render(mapped, null));
            int worst = 0;
            for (int i = 0; i < drawn.length; i++) {
                for (int shift = 0; shift < 32; shift += 8) {
                    worst = Math.max(worst,
                            Math.abs((filtered[i] >>> shift & 0xFF) - (drawn[i] >>> shift & 0xFF)));
                }
            }
            assertTrue(night ? "night" : "day", worst <= (sdk() <= 35 ? 0 : 1));
        }
    }

    /**
     * Why the day filter stays a matrix from API 36, where it is unclamped: RuntimeColorFilter, the
     * one public filter that could clamp, is not run by the CPU raster, which draws unfiltered.
     */
    @Test
    public void runtimeColourFiltersDoNotRunOnTheCpuRaster() throws ReflectiveOperationException {
        assumeTrue(sdk() >= 36);
        ColorFilter black = (ColorFilter) Class.forName("android.graphics.RuntimeColorFilter")
                .getConstructor(String.class)
                .newInstance("half4 main(half4 colour) { return half4(0, 0, 0, 1); }");
        Bitmap source = everyColour();
        assertArrayEquals(Reference.storedWords(Way.DRAW_BITMAP.render(source, null)),
                Reference.storedWords(Way.DRAW_BITMAP.render(source, black)));
    }

    /**
     * The largest error of an opaque colour drawn onto a target in Display P3 or linear sRGB, read
     * back in sRGB, night and day, from each release on: Skia applies the filter in the target's
     * colour space before API 35 (Robolectric runs one Android 12 build for API 26 to 34); hwui
     * applies it in sRGB from API 35 (libs/hwui/ColorFilter.h), leaving the conversion's own
     * error, and, unclamped from API 36, hands it values out of range. As the Javadoc gives them.
     */
    private static final int[][] NON_SRGB_ERRORS = {
        // from API, P3 night, P3 day, linear night, linear day
        {26, 15, 121, 57, 72},
        {35, 2, 2, 6, 1},
        {36, 9, 105, 6, 1},
    };

    @Test
    public void otherColourSpacesAreOffAsDocumented() {
        int[] bounds = NON_SRGB_ERRORS[0];
        for (int[] row : NON_SRGB_ERRORS) {
            bounds = sdk() >= row[0] ? row : bounds;
        }
        Bitmap source = everyColour();
        ColorSpace.Named[] spaces = {ColorSpace.Named.DISPLAY_P3, ColorSpace.Named.LINEAR_SRGB};
        for (int s = 0; s < spaces.length; s++) {
            for (boolean night : new boolean[] {true, false}) {
                Bitmap target = Bitmap.createBitmap(SIZE, SIZE, Bitmap.Config.ARGB_8888, true,
                        ColorSpace.get(spaces[s]));
                Way.DRAW_BITMAP.draw(new Canvas(target), source, filter(night));
                int worst = 0;
                for (int v = 0; v < SIZE; v++) {
                    int colour = source.getPixel(v, SIZE - 1);
                    int want = night ? Reference.night(colour) : Reference.day(colour);
                    int got = target.getPixel(v, SIZE - 1);
                    for (int shift = 0; shift <= 16; shift += 8) {
                        worst = Math.max(worst,
                                Math.abs((got >>> shift & 0xFF) - (want >>> shift & 0xFF)));
                    }
                }
                String row = spaces[s] + (night ? ", night" : ", day");
                System.out.println("API " + sdk() + " " + row + ": off by up to " + worst);
                int bound = bounds[1 + 2 * s + (night ? 0 : 1)];
                assertTrue(row + ": " + worst, worst > 0 && worst <= bound);
            }
        }
    }
}
