package com.zarnu.sample;

import android.content.res.Resources;
import android.graphics.Bitmap;
import android.graphics.Paint;
import android.graphics.drawable.BitmapDrawable;
import android.graphics.drawable.ColorDrawable;
import android.graphics.drawable.Drawable;
import android.view.View;
import android.view.ViewGroup;
import android.widget.ImageView;
import android.widget.TextView;
import com.zarnu.util.ImeGraphics;

/**
 * A keyboard's views in night colours, two ways, from API 21.
 *
 * <p>{@link #enterNightWholeView} draws the whole keyboard through one filtered layer: a few
 * lines, at the cost of an offscreen layer the size of the keyboard. On Skia's CPU raster every
 * opaque pixel comes out exactly as {@link ImeGraphics#glSetNightColor} maps the day one; the
 * GPU, which draws hardware-accelerated views on devices, is not measured.
 *
 * <p>{@link #enterNightPerAsset} converts what the views draw: bitmaps become night copies,
 * colours (backgrounds, text) night colours, and the rest (nine-patches, vectors, shapes, state
 * lists) draws through the filter. No layer; but Android now blends and scales night colours
 * where it blended day ones, so edges come out a few levels off what the layer gives, most near
 * dark colours (up to 18 levels on the sample's labels on the CPU raster).
 */
public final class NightKeyboard {
    private NightKeyboard() {}

    /** Draws the keyboard in night colours: its layer, as its parent draws it, filtered. */
    public static void enterNightWholeView(View keyboardView) {
        Paint paint = new Paint();
        paint.setColorFilter(ImeGraphics.nightColorFilter());
        keyboardView.setLayerType(View.LAYER_TYPE_HARDWARE, paint);
    }

    /** Back to day colours: no layer, nothing filtered. */
    public static void leaveNightWholeView(View keyboardView) {
        keyboardView.setLayerType(View.LAYER_TYPE_NONE, null);
    }

    /**
     * Puts every view under {@code root} in night colours, asset by asset; without the library,
     * through the layer instead. Bitmaps become night copies and plain colours night colours;
     * everything else (nine-patches, vectors, shapes, state lists) draws through the filter. A
     * text colour that changes with the view's state keeps its current colour only. Inflate the
     * layout again for day colours.
     *
     * @param root the keyboard's view
     */
    public static void enterNightPerAsset(View root) {
        if (!ImeGraphics.isAvailable()) {
            enterNightWholeView(root);
            return;
        }
        nightViews(root);
    }

    private static void nightViews(View view) {
        Resources res = view.getResources();
        Drawable background = view.getBackground();
        if (background != null) {
            // A new background brings its own padding; the view keeps the padding it had.
            int left = view.getPaddingLeft();
            int top = view.getPaddingTop();
            int right = view.getPaddingRight();
            int bottom = view.getPaddingBottom();
            view.setBackground(night(res, background));
            view.setPadding(left, top, right, bottom);
        }
        if (view instanceof ImageView) {
            ImageView image = (ImageView) view;
            if (image.getDrawable() != null) {
                image.setImageDrawable(night(res, image.getDrawable()));
            }
        }
        if (view instanceof TextView) {
            // Colours, not a filter on the paint: a TextView draws through a pooled copy of its
            // paint, and Paint.set() drops a filter the source paint has not drawn with yet.
            TextView text = (TextView) view;
            text.setTextColor(ImeGraphics.glSetNightColor(text.getCurrentTextColor()));
            text.setHintTextColor(ImeGraphics.glSetNightColor(text.getCurrentHintTextColor()));
            Drawable[] compound = text.getCompoundDrawablesRelative();
            for (int i = 0; i < compound.length; i++) {
                if (compound[i] != null) {
                    compound[i] = night(res, compound[i]);
                }
            }
            text.setCompoundDrawablesRelative(compound[0], compound[1], compound[2], compound[3]);
        }
        if (view instanceof ViewGroup) {
            ViewGroup group = (ViewGroup) view;
            for (int i = 0; i < group.getChildCount(); i++) {
                nightViews(group.getChildAt(i));
            }
        }
    }

    /**
     * The night version of one drawable: a copy of a bitmap, a colour mapped, anything else
     * filtered. A nine-patch takes the filter too: a copy of its bitmap would keep the day colours
     * its chunk holds for each patch of one colour, which Android fills with that colour.
     */
    private static Drawable night(Resources res, Drawable day) {
        if (day instanceof ColorDrawable) {
            return new ColorDrawable(ImeGraphics.glSetNightColor(((ColorDrawable) day).getColor()));
        }
        if (day instanceof BitmapDrawable) {
            BitmapDrawable dayBitmap = (BitmapDrawable) day;
            Bitmap night = ImeGraphics.nightCopy(dayBitmap.getBitmap());
            if (night != null) {
                BitmapDrawable copy = new BitmapDrawable(res, night);
                copy.setGravity(dayBitmap.getGravity());
                copy.setTileModeXY(dayBitmap.getTileModeX(), dayBitmap.getTileModeY());
                return copy;
            }
        }
        Drawable filtered = day.mutate();
        filtered.setColorFilter(ImeGraphics.nightColorFilter());
        return filtered;
    }
}
