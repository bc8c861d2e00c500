package com.zarnu.util;

import android.graphics.Bitmap;
import java.util.Set;
import org.junit.jupiter.api.Test;

/**
 * The table of Bitmap facts on the host stand-ins, at the release they are told to be. They have
 * no BitmapFactory: a decoded bitmap is modelled as an immutable copy.
 */
class StandInFactsTest {
    @Test
    void standInsGiveWhatAndroidGives() {
        BitmapFacts.check(source -> source.copy(Bitmap.Config.ARGB_8888, false), Set.of());
    }
}
