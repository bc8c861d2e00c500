import android.graphics.Bitmap;
import android.inputmethodservice.InputMethodService;
import android.view.View;
import java.util.concurrent.Executor;

/**
 * The input method each README snippet is compiled in: it extends this class, so it has the
 * service's own methods to call and override, and these names that the snippets make up.
 */
public abstract class ReadmeSnippets extends InputMethodService {
    /** The view that draws the keys. */
    protected View keyboardView;
    /** The thread that makes the copies. */
    protected Executor worker;
    /** The keys' day picture, as the skin loaded it. */
    protected Bitmap dayKeys;
    /** The keyboard's background colour by day. */
    protected int backdrop;

    /** Shows the keys' picture. */
    protected void showKeys(Bitmap keys) {}
}
