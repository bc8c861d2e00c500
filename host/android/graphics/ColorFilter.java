package android.graphics;

/** Host stand-in for the platform's ColorFilter: the type the library's filters come as. */
public class ColorFilter {}
