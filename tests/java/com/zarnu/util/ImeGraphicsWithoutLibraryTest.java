package com.zarnu.util;

import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;

import org.junit.jupiter.api.Tag;
import org.junit.jupiter.api.Test;

/** Run alone, in a JVM whose library path lacks the library, as on a device that misses it. */
@Tag("without-library")
class ImeGraphicsWithoutLibraryTest {
    @Test
    void classStaysUsableAndEveryCallThrowsUnsatisfiedLinkError() {
        assertFalse(ImeGraphics.isAvailable());
        for (int i = 0; i < 2; i++) {
            assertThrows(UnsatisfiedLinkError.class, () -> ImeGraphics.glSetNightColor(0xFFFFFFFF));
            assertThrows(UnsatisfiedLinkError.class, () -> ImeGraphics.glSetNight(null));
        }
        assertFalse(ImeGraphics.isAvailable());
    }
}
