package com.zarnu.util;

import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;

/** The JVM tests' copy tables, on Android's own Bitmap code. */
@RunWith(RobolectricTestRunner.class)
public class FrameworkCopyTest extends ImeGraphicsCopyTest {}
