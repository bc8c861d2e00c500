import android.graphics.Bitmap;
import java.lang.invoke.MethodHandle;
import java.lang.invoke.MethodHandles;
import java.lang.invoke.MethodType;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Path;
import java.util.Arrays;

/**
 * Nanoseconds per glSetNight call for builds of the library in one JVM, each bound to its own copy
 * of com.zarnu.util.ImeGraphics through a class loader of its own, timed in alternating rounds so
 * that all see the machine in the same state: a pass over a 48 x 48 ARGB_8888 icon, a call with a
 * recycled icon and one with null (the call alone). Run by hand:
 *
 * <pre>
 * javac -cp build/host/ime_graphics_java.jar -d build/bench-java bench/IconPassBench.java
 * java -cp build/host/ime_graphics_java.jar:build/bench-java IconPassBench \
 *     build/host/ime_graphics_java.jar A/libime_graphics.so B/libime_graphics.so
 * </pre>
 */
public final class IconPassBench {
    private static final int ROUNDS = 41;
    private static final int PASSES = 20_000;

    /** Loads ImeGraphics itself, so that its loadLibrary finds this loader's library. */
    private static final class LibraryLoader extends URLClassLoader {
        private final String library;

        LibraryLoader(URL jar, String library) {
            super(new URL[] {jar}, IconPassBench.class.getClassLoader());
            this.library = library;
        }

        @Override
        protected Class<?> loadClass(String name, boolean resolve) throws ClassNotFoundException {
            if (!name.equals("com.zarnu.util.ImeGraphics")) {
                return super.loadClass(name, resolve);
            }
            synchronized (getClassLoadingLock(name)) {
                Class<?> loaded = findLoadedClass(name);
                return loaded != null ? loaded : findClass(name);
            }
        }

        @Override
        protected String findLibrary(String name) {
            return library;
        }
    }

    private static MethodHandle glSetNight(URL jar, String library) throws Exception {
        Class<?> cls = Class.forName("com.zarnu.util.ImeGraphics", true, new LibraryLoader(jar, library));
        return MethodHandles.publicLookup().findStatic(cls, "glSetNight",
                MethodType.methodType(void.class, Bitmap.class));
    }

    private static double nanosPerPass(MethodHandle pass, Bitmap icon) throws Throwable {
        long start = System.nanoTime();
        for (int i = 0; i < PASSES; i++) {
            pass.invokeExact(icon);
        }
        return (System.nanoTime() - start) / (double) PASSES;
    }

    public static void main(String[] args) throws Throwable {
        URL jar = Path.of(args[0]).toUri().toURL();
        MethodHandle[] passes = new MethodHandle[args.length - 1];
        for (int i = 0; i < passes.length; i++) {
            passes[i] = glSetNight(jar, Path.of(args[i + 1]).toAbsolutePath().toString());
        }
        Bitmap icon = Bitmap.createBitmap(48, 48, Bitmap.Config.ARGB_8888);
        icon.eraseColor(0xFF336699);
        Bitmap recycled = Bitmap.createBitmap(48, 48, Bitmap.Config.ARGB_8888);
        recycled.recycle();
        Bitmap[] cases = {icon, recycled, null};
        String[] names = {"icon", "recycled", "null"};
        double[][][] times = new double[passes.length][cases.length][ROUNDS];
        for (int round = -3; round < ROUNDS; round++) {  // three rounds to warm up
            for (int i = 0; i < passes.length; i++) {
                for (int c = 0; c < cases.length; c++) {
                    double t = nanosPerPass(passes[i], cases[c]);
                    if (round >= 0) {
                        times[i][c][round] = t;
                    }
                }
            }
        }
        for (int i = 0; i < passes.length; i++) {
            for (int c = 0; c < cases.length; c++) {
                Arrays.sort(times[i][c]);
                System.out.printf("%s, %s: median %.0f ns, fastest round %.0f ns%n",
                        args[i + 1], names[c], times[i][c][ROUNDS / 2], times[i][c][0]);
            }
        }
    }
}
