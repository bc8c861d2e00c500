package com.zarnu.util;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNull;
import static org.junit.Assert.assertSame;
import static org.junit.Assert.assertTrue;

import android.content.res.Resources;
import android.graphics.Bitmap;
import android.graphics.BitmapFactory;
import android.graphics.NinePatch;
import android.graphics.drawable.BitmapDrawable;
import org.junit.Test;
import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;
import org.robolectric.RuntimeEnvironment;
import org.robolectric.annotation.GraphicsMode;

/**
 * Bitmaps from Resources, loaded from the tier's resource apk (apk.sh): what the Java API tells
 * callers of them holds on Android's framework.
 */
@RunWith(RobolectricTestRunner.class)
@GraphicsMode(GraphicsMode.Mode.NATIVE)
public class FrameworkResourcesTest {
    private static int drawable(Resources resources, String name) {
        return resources.getIdentifier(name, "drawable", "com.zarnu.util.resources");
    }

    private static int[] pixels(Bitmap bitmap) {
        int[] pixels = new int[bitmap.getWidth() * bitmap.getHeight()];
        bitmap.getPixels(pixels, 0, bitmap.getWidth(), 0, 0, bitmap.getWidth(), bitmap.getHeight());
        return pixels;
    }

    /**
     * The drawables of one resource share one immutable bitmap, which only a night copy leaves
     * in day colours for the other.
     */
    @Test
    public void aNightCopyLeavesTheSharedResourceBitmapAlone() {
        Resources resources = RuntimeEnvironment.getApplication().getResources();
        int day = drawable(resources, "day");
        Bitmap first = ((BitmapDrawable) resources.getDrawable(day, null)).getBitmap();
        Bitmap second = ((BitmapDrawable) resources.getDrawable(day, null)).getBitmap();
        assertSame(first, second);
        assertFalse(first.isMutable());
        int[] before = pixels(second);
        int generation = second.getGenerationId();
        Bitmap night = ImeGraphics.nightCopy(first);
        assertArrayEquals(before, pixels(second));
        assertEquals(generation, second.getGenerationId());
        assertEquals(ImeGraphics.glSetNightColor(before[1]), night.getPixel(1, 0));
    }

    /** A night copy of a nine-patch's bitmap is a plain bitmap: copy() leaves the chunk behind. */
    @Test
    public void aNightCopyOfANinePatchHasNoChunk() {
        Resources resources = RuntimeEnvironment.getApplication().getResources();
        Bitmap source = BitmapFactory.decodeResource(resources, drawable(resources, "frame"));
        assertTrue(NinePatch.isNinePatchChunk(source.getNinePatchChunk()));
        Bitmap night = ImeGraphics.nightCopy(source);
        assertNull(night.getNinePatchChunk());
        assertTrue(NinePatch.isNinePatchChunk(source.getNinePatchChunk()));
    }
}
