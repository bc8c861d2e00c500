package com.zarnu.util;

import org.junit.runner.RunWith;
import org.robolectric.RobolectricTestRunner;

/** The JVM tests' colour table, with the library loaded in Robolectric's sandbox. */
@RunWith(RobolectricTestRunner.class)
public class FrameworkColorTest extends ImeGraphicsColorTest {}
