package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotNull;
import static org.junit.Assert.assertTrue;
import static org.junit.Assert.fail;

import android.app.Activity;
import android.content.Context;
import android.graphics.Bitmap;
import android.graphics.BitmapFactory;
import android.graphics.Canvas;
import android.graphics.Rect;
import android.graphics.drawable.LayerDrawable;
import android.os.Build;
import android.view.LayoutInflater;
import android.view.View;
import android.view.ViewGroup;
import android.widget.FrameLayout;
import android.widget.ImageView;
import android.widget.TextView;
import com.zarnu.sample.NightKeyboard;
import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.net.URISyntaxException;
import java.nio.file.Files;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.function.Consumer;
import org.junit.Assume;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.Robolectric;
import org.robolectric.RobolectricTestRunner;
import org.robolectric.RuntimeEnvironment;
import org.robolectric.annotation.Config;
import org.robolectric.annotation.GraphicsMode;
import org.robolectric.shadows.ShadowLooper;

/**
 * The sample keyboard (samples/keyboard) on Android's own framework code, drawn by day and by
 * both night recipes of {@code NightKeyboard}, compared pixel by pixel with the mapping of the
 * day drawing. Everything here is Skia's CPU raster: views draw into a bitmap's canvas, where a
 * hardware layer is drawn from a software cache. Devices draw hardware-accelerated views and
 * their layers on the GPU, which nothing here reaches.
 *
 * <p>The keyboard's parent draws it, so that its layer paint applies. At SDK 26 to 30 and 34 to
 * 37 the parent is an Activity's content; at 31 to 33 Robolectric makes no window (ViewRootImpl's
 * constructor asks for the audio service, whose stand-in loads {@code BluetoothDevice}, and those
 * SDKs' jars lack its {@code BluetoothAddress}), and the views are measured and laid out by hand.
 * An input method's window, shown with {@code showWindow(true)}, is attached at 26 to 28 but
 * never laid out, and refused from 29 ("Window token is not set yet").
 *
 * <p><b>Whole view:</b> every opaque pixel exact; each translucent one (the panel's rounded
 * corners) stored within {@value #TRANSLUCENT_BOUND} of {@code round(n(u) a / 255)}, u the day
 * colour getPixel reports, at every SDK. The panel is not opaque, so the layer's software cache
 * is ARGB_8888; an opaque view's cache, unattached, is RGB_565, a level or two off.
 *
 * <p><b>Per asset:</b> Android blends and scales the mapped assets, where the layer maps the
 * blend. The mapping, {@code 680 v / 1024 - 33} floored at 0, is affine, so blends would commute
 * with it but for the floor and the clamp. Measured: 7119 of the 72 000 pixels off at SDK 26 to
 * 34, 7077 at 35 to 37 (the action key's gradient is drawn a little otherwise), by up to {@value
 * #ASSET_ERROR_BOUND}:
 * <ul>
 *   <li>a colour below 50 maps to 0, where the affine map would go below it: the shadows' black,
 *       the labels' and the shift arrow's #202124, the action key's red. Mapped before the blend,
 *       such a colour of weight w comes out up to {@code 33 w} lighter: 10 levels in the shadow
 *       under each key, up to 15 where the action key's white label meets its blue;
 *   <li>Skia weighs a glyph's edge pixels by the lightness of the colour drawn (its gamma and
 *       contrast tables), so night labels cover their edges otherwise than day ones, by up to
 *       14/255 here: with the clamp, up to {@value #ASSET_ERROR_BOUND} levels on the labels;
 *   <li>the rest are mostly 1 level off: where Android interpolates (the action key's gradient,
 *       the antialiased edges of the nine-patch keys, the backspace bitmap drawn at half size) it
 *       rounds blends of mapped colours instead of mapping rounded blends.
 * </ul>
 * Translucent pixels, the same corners, stay within {@value #TRANSLUCENT_BOUND}.
 *
 * <p>Two things the recipe does were found here. A nine-patch's chunk holds the colour of every
 * patch of one colour, which Android fills instead of drawing the bitmap: a night copy of the
 * bitmap rebuilt with the day chunk left the key faces white (25 007 pixels off, by up to 119),
 * so nine-patches take the filter. And a TextView draws through a pooled copy of its paint, made
 * by {@code Paint.set()}, which leaves out a colour filter the source paint has not drawn with
 * yet: filtered labels came out in day colours at SDK 37, so labels take night text colours.
 */
@RunWith(RobolectricTestRunner.class)
@GraphicsMode(GraphicsMode.Mode.NATIVE)
@Config(qualifiers = "w480dp-h800dp-mdpi")
public class FrameworkKeyboardTest {
    private static final String PACKAGE = "com.zarnu.util.resources";
    private static final int TRANSLUCENT_BOUND = 1;
    private static final int ASSET_ERROR_BOUND = 18;
    private static final int ASSET_MISMATCH_BOUND = 7119;
    /** The SDK the README's picture is drawn at. */
    private static final int PICTURE_SDK = 35;
    private static final int PICTURE_GAP = 16;

    private static int sdk() {
        return Build.VERSION.SDK_INT;
    }

    private static boolean windowed() {
        return sdk() < 31 || sdk() > 33;
    }

    private static int id(String name, String type) {
        int id = RuntimeEnvironment.getApplication().getResources()
                .getIdentifier(name, type, PACKAGE);
        assertTrue(name, id != 0);
        return id;
    }

    static int[] pixels(Bitmap bitmap) {
        int[] pixels = new int[bitmap.getWidth() * bitmap.getHeight()];
        bitmap.getPixels(pixels, 0, bitmap.getWidth(), 0, 0, bitmap.getWidth(), bitmap.getHeight());
        return pixels;
    }

    /** The keyboard in a parent that draws it, its space bar held down. */
    private static final class Host {
        final FrameLayout parent;
        final View keyboard;

        Host() {
            Context context = windowed()
                    ? Robolectric.buildActivity(Activity.class).setup().get()
                    : RuntimeEnvironment.getApplication();
            parent = new FrameLayout(context);
            keyboard = LayoutInflater.from(context).inflate(id("keyboard", "layout"), parent, false);
            parent.addView(keyboard);
            if (windowed()) {
                ((Activity) context).setContentView(parent, new ViewGroup.LayoutParams(
                        ViewGroup.LayoutParams.WRAP_CONTENT, ViewGroup.LayoutParams.WRAP_CONTENT));
            }
            view("keyboard_space").setPressed(true);
        }

        View view(String name) {
            return keyboard.findViewById(id(name, "id"));
        }

        Rect bounds(View view) {
            Rect bounds = new Rect(0, 0, view.getWidth(), view.getHeight());
            parent.offsetDescendantRectToMyCoords(view, bounds);
            return bounds;
        }

        Bitmap draw() {
            if (windowed()) {
                ShadowLooper.idleMainLooper();
                assertTrue(keyboard.isAttachedToWindow());
            } else {
                int unspecified = View.MeasureSpec.makeMeasureSpec(0, View.MeasureSpec.UNSPECIFIED);
                parent.measure(unspecified, unspecified);
                parent.layout(0, 0, parent.getMeasuredWidth(), parent.getMeasuredHeight());
            }
            return drawn(parent, 360, 200);
        }
    }

    /** What {@code parent}, laid out at width x height, draws, and so its children's layers. */
    static Bitmap drawn(View parent, int width, int height) {
        assertEquals(width, parent.getWidth());
        assertEquals(height, parent.getHeight());
        Bitmap bitmap = Bitmap.createBitmap(width, height, Bitmap.Config.ARGB_8888);
        parent.draw(new Canvas(bitmap));
        return bitmap;
    }

    /** A night drawing against the mapping of the day one, alpha kept everywhere. */
    static final class Comparison {
        int opaque;
        int opaqueMismatches;
        int opaqueError;
        int translucent;
        int translucentError;

        Comparison(Bitmap day, Bitmap night) {
            int width = day.getWidth();
            int[] dayPixels = pixels(day);
            int[] nightPixels = pixels(night);
            // The stored, premultiplied channels: getPixel converts nothing once the bitmap is
            // marked unpremultiplied.
            Bitmap raw = night.copy(Bitmap.Config.ARGB_8888, true);
            raw.setPremultiplied(false);
            int[] nightStored = pixels(raw);
            for (int i = 0; i < dayPixels.length; i++) {
                int alpha = dayPixels[i] >>> 24;
                if (nightPixels[i] >>> 24 != alpha) {
                    fail("alpha at " + i % width + "," + i / width + ": " + alpha + " by day, "
                            + (nightPixels[i] >>> 24) + " by night");
                }
                if (alpha == 0xFF) {
                    opaque++;
                    int error = error(Reference.night(dayPixels[i]), nightPixels[i]);
                    if (error > 0) {
                        opaqueMismatches++;
                        opaqueError = Math.max(opaqueError, error);
                    }
                } else if (alpha != 0) {
                    translucent++;
                    translucentError = Math.max(translucentError,
                            error(premultipliedNight(dayPixels[i]), nightStored[i]));
                }
            }
        }

        /** The largest difference of two colours' R, G and B. */
        private static int error(int a, int b) {
            int error = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                error = Math.max(error, Math.abs((a >>> shift & 0xFF) - (b >>> shift & 0xFF)));
            }
            return error;
        }

        /** The night colour of unpremultiplied {@code u}, each channel premultiplied and rounded. */
        private static int premultipliedNight(int u) {
            int night = Reference.night(u);
            int alpha = u >>> 24;
            int result = u & 0xFF000000;
            for (int shift = 0; shift <= 16; shift += 8) {
                result |= Math.round((night >>> shift & 0xFF) * alpha / 255f) << shift;
            }
            return result;
        }

        @Override
        public String toString() {
            return opaqueMismatches + " opaque pixels off, by up to " + opaqueError + "; "
                    + translucent + " translucent, stored within " + translucentError;
        }
    }

    @Test
    public void theWholeViewRecipeIsExactOnOpaquePixels() {
        Host host = new Host();
        Bitmap day = host.draw();
        NightKeyboard.enterNightWholeView(host.keyboard);
        Comparison night = new Comparison(day, host.draw());
        System.out.println("SDK " + sdk() + (windowed() ? ", in an Activity's window" : ", unattached")
                + ", whole view: " + night);
        assertTrue(night.translucent > 0);
        assertEquals(night.toString(), 0, night.opaqueMismatches);
        assertTrue(night.toString(), night.translucentError <= TRANSLUCENT_BOUND);
        NightKeyboard.leaveNightWholeView(host.keyboard);
        assertArrayEquals(pixels(day), pixels(host.draw()));
    }

    @Test
    public void thePerAssetRecipeStaysWithinItsBounds() {
        Host host = new Host();
        Bitmap day = host.draw();
        NightKeyboard.enterNightPerAsset(host.keyboard);
        Comparison night = new Comparison(day, host.draw());
        System.out.println("SDK " + sdk() + ", per asset: " + night);
        assertTrue(night.toString(), night.opaqueError <= ASSET_ERROR_BOUND);
        assertTrue(night.toString(), night.opaqueMismatches <= ASSET_MISMATCH_BOUND);
        assertTrue(night.toString(), night.translucentError <= TRANSLUCENT_BOUND);
    }

    /**
     * Each kind of asset draws something: taken away, its view's area changes. A kind Android
     * could not draw here would leave the comparisons nothing to compare.
     */
    @Test
    public void everyKindOfAssetIsDrawn() {
        Map<String, Consumer<View>> takenAway = new LinkedHashMap<>();
        takenAway.put("keyboard_q nine-patch", view -> view.setBackground(null));
        takenAway.put("keyboard_q text", view -> ((TextView) view).setText(""));
        takenAway.put("keyboard_shift vector", view -> ((ImageView) view).setImageDrawable(null));
        takenAway.put("keyboard_backspace bitmap",
                view -> ((ImageView) view).setImageDrawable(null));
        takenAway.put("keyboard_space pressed state", view -> view.setPressed(false));
        takenAway.put("keyboard_enter gradient shape",
                view -> ((LayerDrawable) view.getBackground()).getDrawable(1).setAlpha(0));
        takenAway.put("keyboard_enter translucent shadow",
                view -> ((LayerDrawable) view.getBackground()).getDrawable(0).setAlpha(0));
        takenAway.put("keyboard_handle colour", view -> view.setBackground(null));
        takenAway.put("keyboard rounded panel", view -> view.setBackground(null));
        StringBuilder changes = new StringBuilder("SDK " + sdk() + ", pixels each kind draws:");
        for (Map.Entry<String, Consumer<View>> kind : takenAway.entrySet()) {
            Host host = new Host();
            Bitmap day = host.draw();
            View view = host.view(kind.getKey().substring(0, kind.getKey().indexOf(' ')));
            Rect bounds = host.bounds(view);
            kind.getValue().accept(view);
            view.invalidate();
            Bitmap without = host.draw();
            int changed = 0;
            for (int y = bounds.top; y < bounds.bottom; y++) {
                for (int x = bounds.left; x < bounds.right; x++) {
                    if (day.getPixel(x, y) != without.getPixel(x, y)) {
                        changed++;
                    }
                }
            }
            changes.append(' ').append(kind.getKey()).append(' ').append(changed).append(',');
            assertTrue(kind.getKey() + " draws nothing at SDK " + sdk(), changed > 0);
        }
        System.out.println(changes);
    }

    /** The checkout, from the tier's test resources (tests/robolectric/src/test/resources). */
    private static File checkout() throws URISyntaxException {
        File file = new File(FrameworkKeyboardTest.class.getClassLoader()
                .getResource("robolectric.properties").toURI());
        for (int up = 0; up < 6; up++) {
            file = file.getParentFile();
        }
        return file;
    }

    /**
     * docs/keyboard.png, the README's picture, is the keyboard by day and through the whole-view
     * recipe, side by side, as drawn at SDK {@value #PICTURE_SDK}. With IME_WRITE_PICTURE=path
     * (relative to the checkout) in the environment, the test writes it there instead.
     */
    @Test
    public void theReadmePictureIsTheKeyboard() throws IOException, URISyntaxException {
        Assume.assumeTrue(sdk() == PICTURE_SDK);
        Host host = new Host();
        Bitmap day = host.draw();
        NightKeyboard.enterNightWholeView(host.keyboard);
        Bitmap night = host.draw();
        Bitmap picture = Bitmap.createBitmap(2 * day.getWidth() + PICTURE_GAP, day.getHeight(),
                Bitmap.Config.ARGB_8888);
        Canvas canvas = new Canvas(picture);
        canvas.drawBitmap(day, 0, 0, null);
        canvas.drawBitmap(night, day.getWidth() + PICTURE_GAP, 0, null);
        ByteArrayOutputStream png = new ByteArrayOutputStream();
        assertTrue(picture.compress(Bitmap.CompressFormat.PNG, 100, png));
        String write = System.getenv("IME_WRITE_PICTURE");
        if (write != null) {
            File file = new File(write).isAbsolute() ? new File(write) : new File(checkout(), write);
            try (FileOutputStream out = new FileOutputStream(file)) {
                png.writeTo(out);
            }
            System.out.println("SDK " + sdk() + ": wrote " + file);
            return;
        }
        // The PNGs' own values, unpremultiplied, as stored. The file is read by Java: through
        // decodeFile, Robolectric's FileDescriptor stand-in needs java.io opened to it.
        BitmapFactory.Options options = new BitmapFactory.Options();
        options.inPremultiplied = false;
        byte[] readme = Files.readAllBytes(new File(checkout(), "docs/keyboard.png").toPath());
        Bitmap expected = BitmapFactory.decodeByteArray(readme, 0, readme.length, options);
        assertNotNull("docs/keyboard.png does not decode", expected);
        Bitmap drawn = BitmapFactory.decodeByteArray(png.toByteArray(), 0, png.size(), options);
        String regenerate = "docs/keyboard.png is not the keyboard drawn at SDK " + sdk()
                + "; IME_WRITE_PICTURE=docs/keyboard.png tests/robolectric/run.sh build/host"
                + " writes it anew";
        assertEquals(regenerate, drawn.getWidth(), expected.getWidth());
        assertEquals(regenerate, drawn.getHeight(), expected.getHeight());
        assertArrayEquals(regenerate, pixels(drawn), pixels(expected));
    }
}
