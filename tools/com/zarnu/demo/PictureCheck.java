package com.zarnu.demo;

import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import javax.imageio.ImageIO;

/**
 * Fails unless the picture given (the README's) has exactly the pixels of the comparison the demo
 * makes of its built-in keyboard through the real library, as {@code ./demo} writes it to
 * compare.png. Decoded pixels are compared, so another PNG encoder's bytes still match.
 *
 * <p>Usage: PictureCheck picture.png
 */
public final class PictureCheck {
    private PictureCheck() {}

    public static void main(String[] args) throws Exception {
        System.setProperty("java.awt.headless", "true");
        if (args.length != 1) {
            throw new IllegalArgumentException("usage: PictureCheck picture.png");
        }
        BufferedImage committed = ImageIO.read(new File(args[0]));
        if (committed == null) {
            throw new IOException("not a picture: " + args[0]);
        }
        BufferedImage made = Demo.convert(Demo.KeyboardPicture.draw()).compare();
        String verdict = difference(committed, made);
        if (verdict != null) {
            System.out.println(args[0] + " is not the demo's picture: " + verdict);
            System.out.println(
                    "if the change is meant, run ./demo and copy out/compare.png over it");
            System.exit(1);
        }
        System.out.printf("%s: the demo's picture, all %d x %d pixels%n", args[0], made.getWidth(),
                made.getHeight());
    }

    /** Where the two pictures differ, in words, or null if every pixel (alpha too) is equal. */
    private static String difference(BufferedImage committed, BufferedImage made) {
        int width = made.getWidth();
        int height = made.getHeight();
        if (committed.getWidth() != width || committed.getHeight() != height) {
            return String.format("%d x %d pixels, the demo makes %d x %d", committed.getWidth(),
                    committed.getHeight(), width, height);
        }
        int[] expected = made.getRGB(0, 0, width, height, null, 0, width);
        int[] actual = committed.getRGB(0, 0, width, height, null, 0, width);
        int first = -1;
        int count = 0;
        for (int i = 0; i < expected.length; i++) {
            if (expected[i] != actual[i]) {
                count++;
                if (first < 0) {
                    first = i;
                }
            }
        }
        if (count == 0) {
            return null;
        }
        return String.format("%d pixels differ, the first at (%d, %d): %08X, the demo makes %08X",
                count, first % width, first / width, actual[first], expected[first]);
    }
}
