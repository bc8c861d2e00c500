package android.graphics;

/** Host stand-in for the platform's ColorFilter: the type the library's filters are handed out as. */
public class ColorFilter {}
