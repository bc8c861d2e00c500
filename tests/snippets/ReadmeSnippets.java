import android.graphics.Bitmap;
import android.graphics.drawable.Drawable;
import android.graphics.drawable.GradientDrawable;
import android.graphics.drawable.NinePatchDrawable;
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
    /** A key's nine-patch background by day, as decoded with its chunk, and its drawable. */
    protected Bitmap dayKeyBitmap;
    protected NinePatchDrawable dayKeyBackground;
    /** A vector icon and a key's shape by day. */
    protected Drawable dayIcon;
    protected GradientDrawable dayKeyFace;

    /** Shows the keys' picture. */
    protected void showKeys(Bitmap keys) {}
}
