package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertNotSame;
import static org.junit.jupiter.api.Assertions.assertThrows;

import android.graphics.Bitmap;
import android.graphics.ColorMatrixColorFilter;
import org.junit.jupiter.api.Tag;
import org.junit.jupiter.api.Test;

/** Run alone, in a JVM whose library path lacks the library, as on a device that misses it. */
@Tag("without-library")
class ImeGraphicsWithoutLibraryTest {
    @Test
    void classStaysUsableAndEveryNativeCallThrowsUnsatisfiedLinkError() {
        assertFalse(ImeGraphics.isAvailable());
        Bitmap bitmap = Bitmap.createBitmap(2, 2, Bitmap.Config.ARGB_8888);
        Bitmap recycled = Bitmap.createBitmap(2, 2, Bitmap.Config.ARGB_8888);
        recycled.recycle();
        for (int i = 0; i < 2; i++) {
            assertThrows(UnsatisfiedLinkError.class, () -> ImeGraphics.glSetNightColor(0xFFFFFFFF));
            assertThrows(UnsatisfiedLinkError.class, () -> ImeGraphics.glSetNight(null));
            // Before the source is looked at: copy() would throw for the recycled one.
            for (Bitmap source : new Bitmap[] {bitmap, recycled, null}) {
                assertThrows(UnsatisfiedLinkError.class, () -> ImeGraphics.nightCopy(source));
                assertThrows(UnsatisfiedLinkError.class, () -> ImeGraphics.dayCopy(source));
            }
            assertFalse(ImeGraphics.canConvertInPlace(bitmap));
            // The filters are Java alone.
            assertInstanceOf(ColorMatrixColorFilter.class, ImeGraphics.nightColorFilter());
            assertInstanceOf(ColorMatrixColorFilter.class, ImeGraphics.dayColorFilter());
            assertNotSame(ImeGraphics.nightColorFilter(), ImeGraphics.nightColorFilter());
        }
        assertFalse(ImeGraphics.isAvailable());
    }
}
