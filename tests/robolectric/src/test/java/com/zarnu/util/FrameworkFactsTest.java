package com.zarnu.util;

import android.graphics.Bitmap;
import android.graphics.BitmapFactory;
import android.os.Build;
import java.io.ByteArrayOutputStream;
import java.util.HashSet;
import java.util.Set;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;
import org.robolectric.annotation.GraphicsMode;

/**
 * The table of Bitmap facts the host stand-ins model, on Android's own framework at the SDK the
 * tier runs. A decoded bitmap is BitmapFactory's decoding of a PNG that Bitmap.compress wrote.
 */
@RunWith(RobolectricTestRunner.class)
@GraphicsMode(GraphicsMode.Mode.NATIVE)
public class FrameworkFactsTest {
    @Test
    public void androidGivesWhatTheStandInsModel() {
        BitmapFacts.check(FrameworkFactsTest::decoded, unshown());
    }

    private static Bitmap decoded(Bitmap source) {
        ByteArrayOutputStream png = new ByteArrayOutputStream();
        source.compress(Bitmap.CompressFormat.PNG, 100, png);
        return BitmapFactory.decodeByteArray(png.toByteArray(), 0, png.size());
    }

    /**
     * SDK 26 to 34 run on one native build for them all, not on their own release's: Robolectric's
     * librobolectric-nativeruntime.so from nativeruntime-dist-compat 1.0.19, built from AOSP's
     * android12-hostruntime-dev (mvnrepository.com/artifact/io.github.lavishsonbhurra/
     * robolectric-nativeruntime-compat-linux-aarch64 names its source). Its getPixel is the one of
     * API 29 on, and it aborts the JVM ("unknown bitmap configuration") making an RGBA_1010102
     * bitmap, a config of API 33. SDK 35 on bring their own libandroid_runtime.so.
     */
    private static Set<String> unshown() {
        Set<String> unshown = new HashSet<>();
        if (Build.VERSION.SDK_INT <= 28) {
            unshown.add("getPixel of a channel above its alpha");
            unshown.add("getPixel of halves");
        }
        if (Build.VERSION.SDK_INT == 33 || Build.VERSION.SDK_INT == 34) {
            unshown.add("copy of RGBA_1010102");
        }
        return unshown;
    }
}
