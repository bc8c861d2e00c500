package android.graphics;

/**
 * Host stand-in for the platform's ColorMatrixColorFilter: it takes the 4 x 5 matrix, refusing
 * fewer than 20 values, as graphics/java/android/graphics/ColorMatrixColorFilter.java does (a
 * rule modelled from that source; no test gives it fewer). Nothing on the host draws through it;
 * the Robolectric tier holds the library's filters to Android's own drawing.
 */
public class ColorMatrixColorFilter extends ColorFilter {
    public ColorMatrixColorFilter(float[] array) {
        if (array.length < 20) {
            throw new ArrayIndexOutOfBoundsException();
        }
    }
}
