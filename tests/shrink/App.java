import android.graphics.Bitmap;
import android.graphics.Paint;
import com.zarnu.util.ImeGraphics;

/** An app that calls every public method of ImeGraphics, for the shrinker to see them used. */
public class App {
    public static void main(String[] args) {
        Paint night = new Paint();
        night.setColorFilter(ImeGraphics.nightColorFilter());
        Paint day = new Paint();
        day.setColorFilter(ImeGraphics.dayColorFilter());
        if (!ImeGraphics.isAvailable()) {
            return;
        }
        Bitmap keys = Bitmap.createBitmap(2, 2, Bitmap.Config.ARGB_8888);
        int[] colors = {ImeGraphics.glSetNightColor(0xFFE8EAED), ImeGraphics.glSetDayColor(0xFF202124)};
        ImeGraphics.glChangeColor(colors, colors, 0x00FFFFFF);
        Bitmap nightKeys = ImeGraphics.nightCopy(keys);
        Bitmap dayKeys = ImeGraphics.dayCopy(keys);
        if (ImeGraphics.canConvertInPlace(keys)) {
            ImeGraphics.glSetNight(keys);
            ImeGraphics.glSetToDayMode(keys);
        }
        System.out.println(colors[0] + " " + nightKeys + " " + dayKeys + " " + night + " " + day);
    }
}
