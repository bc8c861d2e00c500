package android.os;

/**
 * Host stand-in for the platform's Build: the API level the host stand-ins behave as, taken from
 * the system property {@code ime.host.sdkInt} (default: the newest release, Android 17).
 */
public final class Build {
    private Build() {}

    public static final class VERSION {
        private VERSION() {}

        public static final int SDK_INT = Integer.getInteger("ime.host.sdkInt", 37);
    }
}
