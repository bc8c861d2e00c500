import android.content.res.Configuration;
import android.graphics.Bitmap;
import android.inputmethodservice.InputMethodService;
import android.os.Handler;
import android.view.View;
import java.util.concurrent.Executor;

/**
 * The input method each README snippet is compiled in: it extends this class, so it has the
 * service's own methods to call and override, and the sample keyboard's names that the snippets
 * use (samples/keyboard/java/com/zarnu/keyboard/KeyboardService.java).
 */
public abstract class ReadmeSnippets extends InputMethodService {
    /** The app's resource ids, as aapt2 makes them. */
    protected static final class R {
        static final class layout {
            static final int keyboard = 0x7f010000;
        }
    }

    /** The view that draws the keys. */
    protected View keyboardView;
    /** The thread that makes the copies, and the UI thread's handler. */
    protected Executor worker;
    protected Handler main;
    /** The key preview's skin by day. */
    protected Bitmap day;

    /** Puts the keyboard in the configuration's mode. */
    protected void showMode(Configuration config) {}

    /** Shows the preview's night skin, or its fallback when {@code night} is null. */
    protected void showPreviewNight(Bitmap night) {}
}
