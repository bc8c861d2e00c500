package com.zarnu.demo;

import android.graphics.Bitmap;
import com.zarnu.util.ImeGraphics;
import java.awt.AlphaComposite;
import java.awt.BasicStroke;
import java.awt.Color;
import java.awt.Font;
import java.awt.FontFormatException;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.Shape;
import java.awt.font.FontRenderContext;
import java.awt.geom.Ellipse2D;
import java.awt.geom.Rectangle2D;
import java.awt.geom.RoundRectangle2D;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.file.AccessDeniedException;
import java.nio.file.FileAlreadyExistsException;
import java.nio.file.FileSystemException;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Iterator;
import java.util.List;
import java.util.Random;
import javax.imageio.ImageIO;
import javax.imageio.ImageReader;
import javax.imageio.stream.ImageInputStream;

/**
 * Makes a night copy of a picture through the real library, as an input method should of its skin
 * bitmaps, and a day copy of that night copy, and converts the backdrop colour as it does its theme
 * colours; checks that the picture itself is unchanged, and writes night.png, day.png (the picture
 * as it was) and compare.png (the picture, the night copy and the round trip).
 *
 * <p>Usage: Demo [picture.png] [output folder, default out]
 */
public final class Demo {
    /** Pictures larger than this on a side, or in all, are refused before they are decoded. */
    private static final int MAX_SIDE = 16384;

    private static final long MAX_PIXELS = 40_000_000L;

    private Demo() {}

    public static void main(String[] args) {
        System.setProperty("java.awt.headless", "true");
        try {
            run(args);
        } catch (DemoException e) {
            System.err.println("demo: " + e.getMessage());
            System.exit(1);
        }
    }

    static final class DemoException extends Exception {
        DemoException(String message) {
            super(message);
        }
    }

    private static void run(String[] args) throws DemoException {
        if (args.length > 2) {
            throw new DemoException("usage: demo [picture.png] [output folder]");
        }
        String input = args.length > 0 && !args[0].isEmpty() ? args[0] : null;
        Path outDir = Path.of(args.length > 1 ? args[1] : "out");
        BufferedImage original = input == null ? KeyboardPicture.draw() : read(new File(input));
        Conversion c = convert(original);

        List<Path> written = writeAll(outDir, List.of(
                new Output("night.png", c.night()),
                new Output("day.png", c.day()),
                new Output("compare.png", c.compare())));

        System.out.printf("%s: %d x %d pixels%n", input == null ? "keyboard picture" : input,
                original.getWidth(), original.getHeight());
        System.out.printf("nightCopy %8.3f ms (the host stand-in's copy(), in Java, then the pass)"
                + "%n", c.nightNanos() / 1e6);
        System.out.printf("dayCopy   %8.3f ms (the same, of the night copy)%n", c.dayNanos() / 1e6);
        System.out.printf("backdrop %08X: glSetNightColor %08X, then glSetDayColor %08X"
                + " (a theme colour int, alpha included)%n", BACKDROP, c.nightBackdrop(),
                c.dayBackdrop());
        System.out.printf("premultiplied pixels with a channel above their alpha after the round"
                + " trip: %d%n", c.invalidPremultiplied());
        System.out.println("the picture is unchanged");
        for (Path p : written) {
            System.out.println("wrote " + p);
        }
    }

    /** What {@link #convert} makes of a picture: the panels, their sheet and what it measured. */
    record Conversion(BufferedImage day, BufferedImage night, BufferedImage compare,
            long nightNanos, long dayNanos, int nightBackdrop, int dayBackdrop,
            int invalidPremultiplied) {}

    /**
     * Converts the picture as an app converts its skin: a night copy, a day copy of that, the
     * picture itself kept (and checked unchanged) as the day one, and the backdrop colour int
     * converted.
     */
    static Conversion convert(BufferedImage original) throws DemoException {
        int width = original.getWidth();
        int height = original.getHeight();
        int[] argb = original.getRGB(0, 0, width, height, null, 0, width);
        Bitmap picture = Bitmap.createBitmap(width, height, Bitmap.Config.ARGB_8888);
        picture.setPixels(argb, 0, width, 0, 0, width, height);
        byte[] pictureBefore = stored(picture);

        BufferedImage day = toImage(picture, BACKDROP);
        int nightBackdrop = ImeGraphics.glSetNightColor(BACKDROP);
        int dayBackdrop = ImeGraphics.glSetDayColor(nightBackdrop);

        // The VM binds a native method on its first call; do that outside the timing.
        Bitmap warmUp = Bitmap.createBitmap(1, 1, Bitmap.Config.ARGB_8888);
        ImeGraphics.dayCopy(ImeGraphics.nightCopy(warmUp));

        long start = System.nanoTime();
        Bitmap nightCopy = ImeGraphics.nightCopy(picture);
        long nightNanos = System.nanoTime() - start;
        if (nightCopy == null) {
            throw new DemoException("nightCopy could not copy or convert the picture");
        }

        start = System.nanoTime();
        Bitmap roundTrip = ImeGraphics.dayCopy(nightCopy);
        long dayNanos = System.nanoTime() - start;
        if (roundTrip == null) {
            throw new DemoException("dayCopy could not copy or convert the night copy");
        }
        if (!Arrays.equals(pictureBefore, stored(picture))) {
            throw new DemoException("the picture changed: nightCopy or dayCopy wrote to it");
        }
        BufferedImage night = toImage(nightCopy, nightBackdrop);
        BufferedImage back = toImage(roundTrip, dayBackdrop);
        return new Conversion(day, night, compare(day, night, back), nightNanos, dayNanos,
                nightBackdrop, dayBackdrop, invalidPremultiplied(roundTrip));
    }

    /**
     * Reads a picture, refusing a missing file, a directory, a file that is no picture and a picture
     * too large.
     */
    private static BufferedImage read(File file) throws DemoException {
        if (file.isDirectory()) {
            throw new DemoException("a directory, not a picture: " + file);
        }
        if (!file.isFile()) {
            throw new DemoException("no such file: " + file);
        }
        try (ImageInputStream stream = ImageIO.createImageInputStream(file)) {
            Iterator<ImageReader> readers = stream == null ? null : ImageIO.getImageReaders(stream);
            if (readers == null || !readers.hasNext()) {
                throw new DemoException("not a picture: " + file);
            }
            ImageReader reader = readers.next();
            try {
                reader.setInput(stream);
                int width = reader.getWidth(0);
                int height = reader.getHeight(0);
                if (width > MAX_SIDE || height > MAX_SIDE || (long) width * height > MAX_PIXELS) {
                    throw new DemoException("picture too large (" + width + " x " + height + "): " + file);
                }
                return reader.read(0);
            } finally {
                reader.dispose();
            }
        } catch (IOException | RuntimeException e) {
            throw new DemoException("cannot read " + file + ": " + e.getMessage());
        }
    }

    /**
     * The keyboard's own background colour (day), which the skin is drawn over: a colour int with
     * its alpha, as {@code Color.parseColor} or {@code getColor} give it, since a colour of alpha 0
     * comes back unchanged.
     */
    private static final int BACKDROP = 0xFFE8EAED;

    /**
     * The bitmap as the device draws it over {@code backdrop}: its stored, premultiplied pixels
     * composited source-over (each channel c + backdrop * (255 - alpha) / 255, saturating), so a
     * pixel whose channels pass its alpha adds light, as it does on the screen.
     */
    private static BufferedImage toImage(Bitmap bitmap, int backdrop) {
        int width = bitmap.getWidth();
        int height = bitmap.getHeight();
        ByteBuffer stored = ByteBuffer.allocate(width * height * 4);
        bitmap.copyPixelsToBuffer(stored);
        BufferedImage image = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        for (int i = 0; i < width * height; i++) {
            int a = stored.get(4 * i + 3) & 0xFF;
            int rgb = 0;
            for (int c = 0; c < 3; c++) {
                int source = stored.get(4 * i + c) & 0xFF;
                int under = (backdrop >> (16 - 8 * c)) & 0xFF;
                rgb |= Math.min(255, source + (under * (255 - a) + 127) / 255) << (16 - 8 * c);
            }
            image.setRGB(i % width, i / width, rgb);
        }
        return image;
    }

    /** The bitmap's pixels as stored. */
    private static byte[] stored(Bitmap bitmap) {
        ByteBuffer stored = ByteBuffer.allocate(bitmap.getWidth() * bitmap.getHeight() * 4);
        bitmap.copyPixelsToBuffer(stored);
        return stored.array();
    }

    /** How many stored pixels are not valid premultiplied data: a channel above the alpha. */
    private static int invalidPremultiplied(Bitmap bitmap) {
        byte[] stored = stored(bitmap);
        int invalid = 0;
        for (int i = 0; i < stored.length; i += 4) {
            int a = stored[i + 3] & 0xFF;
            if ((stored[i] & 0xFF) > a || (stored[i + 1] & 0xFF) > a
                    || (stored[i + 2] & 0xFF) > a) {
                invalid++;
            }
        }
        return invalid;
    }

    private record Output(String name, BufferedImage image) {}

    /** Writes every picture beside its final name first, so a failure leaves none of them behind. */
    private static List<Path> writeAll(Path dir, List<Output> outputs) throws DemoException {
        List<Path> temporary = new ArrayList<>();
        try {
            Files.createDirectories(dir);
            for (Output output : outputs) {
                Path temp = Files.createTempFile(dir, "." + output.name(), ".tmp");
                temporary.add(temp);
                if (!ImageIO.write(output.image(), "png", temp.toFile())) {
                    throw new IOException("no PNG writer");
                }
            }
            List<Path> written = new ArrayList<>();
            for (int i = 0; i < outputs.size(); i++) {
                Path target = dir.resolve(outputs.get(i).name());
                Files.move(temporary.get(i), target, StandardCopyOption.REPLACE_EXISTING);
                written.add(target);
            }
            return written;
        } catch (IOException e) {
            for (Path temp : temporary) {
                try {
                    Files.deleteIfExists(temp);
                } catch (IOException ignored) {
                    // Best effort: the original error is the one to report.
                }
            }
            throw new DemoException("cannot write to " + dir + ": " + reason(e));
        }
    }

    /** Why a write failed, in words; Java's own messages often name only the path. */
    private static String reason(IOException e) {
        if (e instanceof AccessDeniedException) {
            return "permission denied (" + e.getMessage() + ")";
        }
        if (e instanceof FileAlreadyExistsException) {
            return "not a directory: " + e.getMessage();
        }
        if (e instanceof NoSuchFileException) {
            return "no such directory: " + e.getMessage();
        }
        if (e instanceof FileSystemException && ((FileSystemException) e).getReason() != null) {
            FileSystemException f = (FileSystemException) e;
            return f.getReason() + " (" + f.getFile() + ")";
        }
        return e.getClass().getSimpleName() + ": " + e.getMessage();
    }

    /**
     * The picture, its night copy and the round trip side by side, each as drawn over the
     * keyboard's background, labelled.
     */
    private static BufferedImage compare(BufferedImage original, BufferedImage night,
            BufferedImage back) throws DemoException {
        BufferedImage[] panels = {original, night, back};
        String[] labels = {"day: the picture", "night: nightCopy", "round trip: dayCopy"};
        // Panels 480 wide keep the labels legible when the sheet is shown at a page's width.
        double scale = Math.min(1.0, 480.0 / original.getWidth());
        int panelWidth = Math.max(1, (int) Math.round(original.getWidth() * scale));
        int panelHeight = Math.max(1, (int) Math.round(original.getHeight() * scale));
        int margin = 16;
        int labelHeight = 44;
        BufferedImage sheet = new BufferedImage(
                3 * panelWidth + 4 * margin, panelHeight + labelHeight + 2 * margin, BufferedImage.TYPE_INT_ARGB);
        Graphics2D g = sheet.createGraphics();
        g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_INTERPOLATION, RenderingHints.VALUE_INTERPOLATION_BILINEAR);
        g.setColor(new Color(0x30, 0x30, 0x34));
        g.fillRect(0, 0, sheet.getWidth(), sheet.getHeight());
        Font font = font("DejaVuSans-Bold.ttf", 26);
        for (int i = 0; i < 3; i++) {
            int x = margin + i * (panelWidth + margin);
            int y = margin + labelHeight;
            g.setColor(Color.WHITE);
            g.fill(outline(font, labels[i], x, margin + 28));
            g.drawImage(panels[i], x, y, panelWidth, panelHeight, null);
        }
        g.dispose();
        return sheet;
    }

    private static final String FONT_DIR = "/usr/share/fonts/truetype/dejavu/";

    /** A font of fonts-dejavu-core, from its file rather than whatever fontconfig prefers here. */
    static Font font(String file, float size) throws DemoException {
        try {
            return Font.createFont(Font.TRUETYPE_FONT, new File(FONT_DIR + file)).deriveFont(size);
        } catch (FontFormatException | IOException e) {
            throw new DemoException("cannot load the font " + FONT_DIR + file + ": "
                    + e.getMessage());
        }
    }

    /**
     * The text's glyph outlines with the baseline starting at (x, y), unhinted (fractional
     * metrics), for Java's own rasterizer to fill: drawn text would be rendered by FreeType and
     * could differ from one machine to another, and the README's picture must not.
     */
    static Shape outline(Font font, String text, float x, float y) {
        FontRenderContext context = new FontRenderContext(null, true, true);
        return font.createGlyphVector(context, text).getOutline(x, y);
    }

    /** The default picture: what an input method's skin holds. */
    static final class KeyboardPicture {
        private KeyboardPicture() {}

        static BufferedImage draw() throws DemoException {
            int width = 1080;
            int height = 900;
            BufferedImage image = new BufferedImage(width, height, BufferedImage.TYPE_INT_ARGB);
            Graphics2D g = image.createGraphics();
            g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
            drawPhoto(image, 0, 0, width, 300);
            drawToolbar(g, 0, 300, width, 90);
            drawKeys(g, 0, 400, width, 500);
            g.dispose();
            return image;
        }

        /** A photo-like strip: a sky gradient, hills and grain, so neighbouring pixels differ. */
        private static void drawPhoto(BufferedImage image, int x0, int y0, int w, int h) {
            Random random = new Random(42);
            for (int y = 0; y < h; y++) {
                for (int x = 0; x < w; x++) {
                    double t = (double) y / h;
                    // StrictMath: the same bits on every JVM and CPU, as the README's picture
                    // needs.
                    double hill = 0.62 + 0.12 * StrictMath.sin(x / 90.0)
                            + 0.05 * StrictMath.sin(x / 23.0);
                    int r;
                    int gr;
                    int b;
                    if (t < hill) {
                        r = (int) (250 - 170 * t);
                        gr = (int) (170 + 40 * t);
                        b = (int) (90 + 160 * t);
                    } else {
                        r = (int) (40 + 60 * (t - hill));
                        gr = (int) (110 + 80 * (1 - t));
                        b = (int) (50 + 20 * t);
                    }
                    double sun = StrictMath.hypot(x - 820, y - 90);
                    if (sun < 60) {
                        r = 255;
                        gr = 240;
                        b = 200;
                    }
                    int grain = random.nextInt(17) - 8;
                    image.setRGB(x0 + x, y0 + y, 0xFF000000 | clamp(r + grain) << 16 | clamp(gr + grain) << 8
                            | clamp(b + grain));
                }
            }
        }

        /** A translucent strip with icons: alpha between 0 and 255 everywhere. */
        private static void drawToolbar(Graphics2D g, int x0, int y0, int w, int h) {
            g.setPaint(new GradientPaint(x0, y0, new Color(0x20, 0x40, 0x80, 0x40), x0 + w, y0,
                    new Color(0x20, 0x80, 0x40, 0xC0)));
            g.fill(new RoundRectangle2D.Double(x0 + 8, y0 + 8, w - 16, h - 16, 40, 40));
            g.setStroke(new BasicStroke(5f));
            for (int i = 0; i < 6; i++) {
                double cx = x0 + 90 + i * 180;
                g.setColor(new Color(0xFF, 0xFF, 0xFF, 0x90 + i * 0x10));
                g.draw(new Ellipse2D.Double(cx - 22, y0 + h / 2.0 - 22, 44, 44));
            }
        }

        /** Flat key faces with labels and soft shadows, on fully transparent gaps. */
        private static void drawKeys(Graphics2D g, int x0, int y0, int w, int h)
                throws DemoException {
            String[] rows = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
            int keyWidth = w / 10;
            int keyHeight = h / 4;
            Font font = font("DejaVuSans.ttf", 44);
            for (int row = 0; row <= rows.length; row++) {
                String keys = row < rows.length ? rows[row] : " ";
                int rowWidth = row < rows.length ? keys.length() * keyWidth : 6 * keyWidth;
                int left = x0 + (w - rowWidth) / 2;
                int top = y0 + row * keyHeight;
                int faceWidth = row < rows.length ? keyWidth : rowWidth;
                for (int k = 0; k < keys.length(); k++) {
                    int x = left + k * keyWidth;
                    RoundRectangle2D face = new RoundRectangle2D.Double(x + 8, top + 10, faceWidth - 16, keyHeight - 20, 24, 24);
                    // A soft shadow: layers of 4% black, so its edge is only a few
                    // percent opaque and its core about a third.
                    g.setColor(new Color(0, 0, 0, 0x0A));
                    for (int spread = 10; spread >= 0; spread -= 1) {
                        g.fill(new RoundRectangle2D.Double(x + 8 - spread, top + 16 - spread,
                                faceWidth - 16 + 2 * spread, keyHeight - 20 + 2 * spread, 24 + spread, 24 + spread));
                    }
                    g.setComposite(AlphaComposite.Src);
                    g.setColor(row == rows.length ? new Color(0xD0, 0xE4, 0xFF) : new Color(0xFA, 0xFA, 0xFC));
                    g.fill(face);
                    g.setComposite(AlphaComposite.SrcOver);
                    String label = row < rows.length ? String.valueOf(keys.charAt(k)) : "space";
                    g.setColor(new Color(0x20, 0x21, 0x24));
                    // Centred on the glyphs' own bounds, side bearings aside.
                    Rectangle2D bounds = outline(font, label, 0, 0).getBounds2D();
                    g.fill(outline(font, label,
                            (float) (x + (faceWidth - bounds.getWidth()) / 2 - bounds.getX()),
                            top + keyHeight / 2 + 16));
                }
            }
        }

        private static int clamp(int v) {
            return Math.max(0, Math.min(255, v));
        }
    }
}
