package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotSame;
import static org.junit.Assert.assertSame;
import static org.junit.Assert.assertTrue;
import static org.junit.Assert.fail;

import android.content.Intent;
import android.content.pm.ActivityInfo;
import android.content.pm.PackageManager;
import android.content.pm.ResolveInfo;
import android.content.res.Configuration;
import android.graphics.Bitmap;
import android.graphics.drawable.BitmapDrawable;
import android.graphics.drawable.Drawable;
import android.inputmethodservice.InputMethodService;
import android.os.Binder;
import android.os.Build;
import android.text.InputType;
import android.view.View;
import android.view.inputmethod.BaseInputConnection;
import android.view.inputmethod.EditorInfo;
import android.view.inputmethod.InputBinding;
import android.view.inputmethod.InputMethod;
import android.view.inputmethod.InputMethodInfo;
import android.widget.TextView;
import com.zarnu.keyboard.KeyboardService;
import com.zarnu.keyboard.R;
import java.lang.reflect.Field;
import java.util.List;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.Robolectric;
import org.robolectric.RobolectricTestRunner;
import org.robolectric.RuntimeEnvironment;
import org.robolectric.annotation.Config;
import org.robolectric.annotation.GraphicsMode;
import org.robolectric.shadows.ShadowLooper;

/**
 * The sample keyboard's service, {@link KeyboardService}, shown by Android's own
 * InputMethodService and taken through a night-mode change and back, as a device takes it: the
 * configuration's qualifier first, then {@code onConfigurationChanged}, as ActivityThread calls it
 * on every service. Drawn on Skia's CPU raster; devices draw the keyboard's layer on the GPU,
 * which nothing here reaches.
 *
 * <ul>
 *   <li>SDK 26 to 30: the framework shows the keyboard. The test hands the service a token, an
 *       input binding, an editor and a show request; InputMethodService makes its window, asks
 *       {@code onCreateInputView()} for the view and lays the window out, attached. On the
 *       change it rebuilds its views and asks for a fresh one, whatever the service declares.
 *   <li>SDK 31 to 37: {@code attachToken} cannot run (at 31 to 33 the window's ViewRootImpl loads
 *       {@code BluetoothDevice$BluetoothAddress}, absent from those jars; from 32 "The Window
 *       Context should have been attached to a DisplayArea"). A stand-in does what the system
 *       and {@code showWindow} would: at 31 to 33 it hands the service's configuration tracker
 *       the changes {@link InputMethodInfo} reads from the sample's res/xml/method.xml, as {@code
 *       initializeInternal} does; then come the real {@code bindInput} and {@code
 *       setInputView(onCreateInputView())}, and the frame is shown, measured and laid out by
 *       hand, unattached. At 31 to 33 InputMethodService's tracker keeps the view on the change.
 *       From 34 {@code onCreate()} gives the tracker the changes itself ({@code
 *       initConfigurationTracker}), but reads them through a parser not yet moved to the {@code
 *       <input-method>} tag, which has no attributes there: it reads none, though
 *       InputMethodInfo reads {@code uiMode}, and rebuilds the views as before 31; the stand-in
 *       then asks for a view again, as showWindow would.
 * </ul>
 * Everywhere, by night every opaque pixel of the keyboard is {@code glSetNightColor}'s mapping of
 * the day drawing and every translucent one (the panel's corners) within {@value
 * #TRANSLUCENT_BOUND}, as FrameworkKeyboardTest measures; back by day the day drawing returns.
 */
@RunWith(RobolectricTestRunner.class)
@GraphicsMode(GraphicsMode.Mode.NATIVE)
@Config(qualifiers = "w480dp-h800dp-mdpi")
public class FrameworkServiceTest {
    private static final int TRANSLUCENT_BOUND = 1;
    /** How long the worker may take over the preview's night copy. */
    private static final long COPY_WAIT_MILLIS = 10_000;

    private static int sdk() {
        return Build.VERSION.SDK_INT;
    }

    /** Whether InputMethodService itself can show the keyboard here. */
    private static boolean frameworkShows() {
        return sdk() < 31;
    }

    /** The sample's service, shown, with a text field's input. */
    private static final class Shown {
        final KeyboardService service =
                Robolectric.buildService(KeyboardService.class).create().get();

        Shown() throws Exception {
            InputMethod ime = (InputMethod) service.onCreateInputMethodInterface();
            EditorInfo editor = new EditorInfo();
            editor.inputType = InputType.TYPE_CLASS_TEXT;
            if (frameworkShows()) {
                ime.attachToken(new Binder());
            } else {
                // What res/xml/method.xml declares, as the system reads it.
                List<ResolveInfo> services = service.getPackageManager().queryIntentServices(
                        new Intent(InputMethod.SERVICE_INTERFACE), PackageManager.GET_META_DATA);
                assertEquals(1, services.size());
                int configChanges =
                        new InputMethodInfo(service, services.get(0)).getConfigChanges();
                assertEquals(ActivityInfo.CONFIG_UI_MODE, configChanges);
                if (sdk() < 34) {
                    // initializeInternal's part: from 34 onCreate() has done it.
                    Field field = InputMethodService.class.getDeclaredField("mConfigTracker");
                    field.setAccessible(true);
                    Object tracker = field.get(service);
                    tracker.getClass().getMethod("onInitialize", int.class)
                            .invoke(tracker, configChanges);
                }
            }
            ime.bindInput(new InputBinding(null, new Binder(), 0, 0));
            ime.startInput(new BaseInputConnection(new View(service), true), editor);
            if (frameworkShows()) {
                ime.showSoftInput(0, null);
            } else {
                show();
            }
            ShadowLooper.idleMainLooper();
        }

        /** showWindow's part: the input view asked for, set, and its frame shown. */
        private void show() {
            service.setInputView(service.onCreateInputView());
            ((View) keyboard().getParent()).setVisibility(View.VISIBLE);
        }

        View keyboard() {
            View keyboard = service.getWindow().findViewById(R.id.keyboard);
            assertTrue("no keyboard in the service's window", keyboard != null);
            return keyboard;
        }

        /** The keyboard as its frame draws it, so that its layer paint applies. */
        Bitmap draw() {
            View keyboard = keyboard();
            if (frameworkShows()) {
                ShadowLooper.idleMainLooper();
                assertTrue(keyboard.isAttachedToWindow());
            } else {
                View root = keyboard.getRootView();
                int width = service.getResources().getDisplayMetrics().widthPixels;
                root.measure(View.MeasureSpec.makeMeasureSpec(width, View.MeasureSpec.EXACTLY),
                        View.MeasureSpec.makeMeasureSpec(0, View.MeasureSpec.UNSPECIFIED));
                root.layout(0, 0, root.getMeasuredWidth(), root.getMeasuredHeight());
            }
            return FrameworkKeyboardTest.drawn((View) keyboard.getParent(), 480, 200);
        }

        void change(String qualifier) {
            RuntimeEnvironment.setQualifiers(qualifier);
            service.onConfigurationChanged(
                    new Configuration(service.getResources().getConfiguration()));
            ShadowLooper.idleMainLooper();
            if (!frameworkShows() && service.getWindow().findViewById(R.id.keyboard) == null) {
                show();  // the service rebuilt its views; showWindow would ask again
            }
        }

        /** The key preview's skin, once the service has one for the mode it is in. */
        Bitmap previewSkin() throws ReflectiveOperationException, InterruptedException {
            Field field = KeyboardService.class.getDeclaredField("preview");
            field.setAccessible(true);
            TextView preview = (TextView) field.get(service);
            long end = System.currentTimeMillis() + COPY_WAIT_MILLIS;
            Drawable skin;
            while (!((skin = preview.getBackground()) instanceof BitmapDrawable)) {
                if (System.currentTimeMillis() > end) {
                    fail("the key preview has no skin after " + COPY_WAIT_MILLIS + " ms");
                }
                Thread.sleep(5);
                ShadowLooper.idleMainLooper();
            }
            return ((BitmapDrawable) skin).getBitmap();
        }
    }

    @Test
    public void followsNightModeAndBack() throws Exception {
        Shown shown = new Shown();
        View dayView = shown.keyboard();
        Bitmap day = shown.draw();
        Bitmap daySkin = shown.previewSkin();

        shown.change("+night");
        View nightView = shown.keyboard();
        if (sdk() >= 31 && sdk() <= 33) {
            assertSame("the view is inflated again though uiMode is declared", dayView, nightView);
        } else {
            // A fresh view in the rebuilt window; the one dropped is left as it was.
            assertNotSame(dayView, nightView);
            assertEquals(View.LAYER_TYPE_NONE, dayView.getLayerType());
        }
        FrameworkKeyboardTest.Comparison night =
                new FrameworkKeyboardTest.Comparison(day, shown.draw());
        System.out.println("SDK " + sdk() + (frameworkShows() ? ", shown by the framework"
                : ", shown by the stand-in, unattached") + ", by night: " + night);
        assertTrue(night.toString(), night.opaque > day.getWidth() * day.getHeight() / 2);
        assertEquals(night.toString(), 0, night.opaqueMismatches);
        assertTrue(night.toString(), night.translucentError <= TRANSLUCENT_BOUND);
        Bitmap nightSkin = shown.previewSkin();
        assertArrayEquals(FrameworkKeyboardTest.pixels(ImeGraphics.nightCopy(daySkin)),
                FrameworkKeyboardTest.pixels(nightSkin));

        shown.change("+notnight");
        assertArrayEquals(FrameworkKeyboardTest.pixels(day),
                FrameworkKeyboardTest.pixels(shown.draw()));
        assertSame(daySkin, shown.previewSkin());

        shown.change("+night");
        assertSame("the skin's night copy is made again", nightSkin, shown.previewSkin());
    }
}
