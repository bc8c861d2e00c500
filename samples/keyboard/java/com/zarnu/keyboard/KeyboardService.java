package com.zarnu.keyboard;

import android.content.res.Configuration;
import android.graphics.Bitmap;
import android.graphics.BitmapFactory;
import android.graphics.drawable.BitmapDrawable;
import android.inputmethodservice.InputMethodService;
import android.os.Handler;
import android.os.Looper;
import android.view.Gravity;
import android.view.KeyEvent;
import android.view.MotionEvent;
import android.view.View;
import android.view.ViewGroup;
import android.widget.PopupWindow;
import android.widget.TextView;
import com.zarnu.sample.NightKeyboard;
import com.zarnu.util.ImeGraphics;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;

/**
 * A keyboard that follows the system's night mode, from API 21.
 *
 * <p>By night its whole view is drawn through one layer whose paint holds {@link
 * ImeGraphics#nightColorFilter()}: nine-patch keys, the vector shift, the state-list space bar,
 * the labels, all mapped as the library maps colours. The key preview pops up in a window of its
 * own, which that layer does not reach; its bitmap skin takes a night copy instead, made once,
 * off the UI thread, the first time night needs it.
 *
 * <p>A night-mode change reaches it in one of two ways, and it takes either.
 * <ul>
 *   <li>InputMethodService rebuilds its views and asks {@link #onCreateInputView()} for a new
 *       one, which must be a fresh view: the old one still has the old frame as its parent. So
 *       it does before API 31, where the {@code configChanges} of res/xml/method.xml is not
 *       read, and from API 34, where {@code onCreate()} reads it from a parser not yet moved to
 *       the {@code <input-method>} tag and so reads none.
 *   <li>At API 31 to 33 the system hands the service that {@code configChanges}, the service
 *       keeps its views, and {@link #onConfigurationChanged} applies the change to the view
 *       shown, without inflating it again.
 * </ul>
 */
public class KeyboardService extends InputMethodService {
    /** Makes the skin's night copy away from the UI thread. */
    private final ExecutorService worker = Executors.newSingleThreadExecutor();
    private final Handler main = new Handler(Looper.getMainLooper());

    /** The view onCreateInputView last made, and its key preview; null before the first. */
    private View keyboardView;
    private TextView preview;
    private PopupWindow previewWindow;

    /** The preview's skin by day, and its night copy once made. */
    private Bitmap previewDay;
    private Bitmap previewNight;
    private boolean previewNightAsked;
    private boolean previewNightFailed;

    @Override
    public void onCreate() {
        super.onCreate();
        previewDay = BitmapFactory.decodeResource(getResources(), R.drawable.keyboard_preview);
    }

    @Override
    public void onDestroy() {
        worker.shutdown();
        super.onDestroy();
    }

    @Override
    public View onCreateInputView() {
        keyboardView = getLayoutInflater().inflate(R.layout.keyboard, null);  // fresh every time
        preview = (TextView) getLayoutInflater().inflate(R.layout.keyboard_preview, null);
        previewWindow = new PopupWindow(preview, ViewGroup.LayoutParams.WRAP_CONTENT,
                ViewGroup.LayoutParams.WRAP_CONTENT);
        previewWindow.setTouchable(false);
        bindKeys(keyboardView);
        showMode(getResources().getConfiguration());
        return keyboardView;
    }

    @Override
    public void onConfigurationChanged(Configuration newConfig) {
        View shown = keyboardView;
        super.onConfigurationChanged(newConfig);  // may rebuild the views: see the class comment
        // Still the view in the window: kept, so the change is applied to it. Otherwise the
        // window was rebuilt, and onCreateInputView() made a fresh view or makes one when asked.
        if (shown != null && shown == keyboardView
                && shown.getRootView() == getWindow().getWindow().getDecorView()) {
            showMode(newConfig);
        }
    }

    private void showMode(Configuration config) {
        boolean night = night(config);
        drawThroughNightLayer(keyboardView, night);
        showPreviewSkin(night);
    }

    /** By night the view and all in it draw through one layer whose paint holds the filter. */
    private static void drawThroughNightLayer(View view, boolean night) {
        if (night) {
            NightKeyboard.enterNightWholeView(view);
        } else {
            NightKeyboard.leaveNightWholeView(view);
        }
    }

    /**
     * The preview by day, or by night: its skin's night copy and the label's night colour, once
     * the copy is made. Where there is no copy (no library for this ABI, or no memory for it) the
     * preview draws through a filtered layer, as the keyboard does.
     */
    private void showPreviewSkin(boolean night) {
        int label = getResources().getColor(R.color.keyboard_label);
        Bitmap skin = previewDay;
        boolean layered = night && (!ImeGraphics.isAvailable() || previewNightFailed);
        if (night && !layered) {
            label = ImeGraphics.glSetNightColor(label);
            skin = previewNight;  // none until the copy is made, rather than a day skin by night
            askPreviewNight();
        }
        drawThroughNightLayer(preview, layered);
        preview.setTextColor(label);
        preview.setBackground(skin != null ? new BitmapDrawable(getResources(), skin) : null);
    }

    /** Makes the skin's night copy on the worker, once, and shows it when it is there. */
    private void askPreviewNight() {
        if (previewNightAsked) {
            return;
        }
        previewNightAsked = true;
        Bitmap day = previewDay;
        worker.execute(() -> {
            Bitmap night = ImeGraphics.nightCopy(day);  // day stays as it is; null without memory
            main.post(() -> showPreviewNight(night));
        });
    }

    private void showPreviewNight(Bitmap night) {
        previewNight = night;
        previewNightFailed = night == null;
        showPreviewSkin(night(getResources().getConfiguration()));
    }

    private static boolean night(Configuration config) {
        return (config.uiMode & Configuration.UI_MODE_NIGHT_MASK)
                == Configuration.UI_MODE_NIGHT_YES;
    }

    /** Keys type their label; shift, backspace and the action key act. */
    private void bindKeys(View view) {
        if (view instanceof ViewGroup) {
            ViewGroup group = (ViewGroup) view;
            for (int i = 0; i < group.getChildCount(); i++) {
                bindKeys(group.getChildAt(i));
            }
            return;
        }
        int id = view.getId();
        if (id == R.id.keyboard_backspace) {
            view.setOnClickListener(v -> sendDownUpKeyEvents(KeyEvent.KEYCODE_DEL));
        } else if (id == R.id.keyboard_enter) {
            view.setOnClickListener(v -> sendKeyChar('\n'));
        } else if (id == R.id.keyboard_space) {
            view.setOnClickListener(v -> sendKeyChar(' '));
        } else if (view instanceof TextView && ((TextView) view).length() == 1) {
            TextView key = (TextView) view;
            key.setOnClickListener(v -> sendKeyChar(key.getText().charAt(0)));
            key.setOnTouchListener((v, event) -> {
                showPreview(key, event.getActionMasked());
                return false;
            });
        }
    }

    /** Shows the pressed key's label above it, and hides it when the key is let go. */
    private void showPreview(TextView key, int action) {
        if (action == MotionEvent.ACTION_DOWN && key.getWindowToken() != null) {
            preview.setText(key.getText());
            int[] at = new int[2];
            key.getLocationInWindow(at);
            preview.measure(View.MeasureSpec.UNSPECIFIED, View.MeasureSpec.UNSPECIFIED);
            previewWindow.showAtLocation(keyboardView, Gravity.NO_GRAVITY,
                    at[0] + (key.getWidth() - preview.getMeasuredWidth()) / 2,
                    at[1] - preview.getMeasuredHeight());
        } else if (action == MotionEvent.ACTION_UP || action == MotionEvent.ACTION_CANCEL) {
            previewWindow.dismiss();
        }
    }
}
