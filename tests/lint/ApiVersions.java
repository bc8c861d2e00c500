import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.io.PrintWriter;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.Enumeration;
import java.util.HashSet;
import java.util.Map;
import java.util.Set;
import java.util.TreeMap;
import java.util.TreeSet;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;
import org.objectweb.asm.ClassReader;
import org.objectweb.asm.ClassVisitor;
import org.objectweb.asm.FieldVisitor;
import org.objectweb.asm.MethodVisitor;
import org.objectweb.asm.Opcodes;

/**
 * Writes lint's API database (the api-versions.xml format that lint's ApiParser reads) from
 * Android's framework jars, one per API level, oldest first:
 *
 * <pre>java -cp asm.jar ApiVersions.java OUT.xml lint-checks.jar 21=android-21.jar 22=... </pre>
 *
 * <p>A class, method or field is taken to exist from the first level whose jar has it as public
 * or protected. Nothing is marked removed: a member that moves up to a superclass leaves the
 * subclass's jar yet stays callable on it. The jars are the
 * framework's implementation, not the SDK's stubs, so they also hold public members the SDK hides;
 * those that lint's own list of non-SDK members (private-apis.txt, from lint-checks) names are
 * left out. A member hidden at one level and made public at a later one is dated from the first
 * level that has it, so lint cannot see that it is newer.
 */
public final class ApiVersions {
    /**
     * The framework's packages. Not java/ nor javax/: Robolectric's jars carry only part of the
     * core library (over a thousand java/ classes at 21, a few dozen from 26 on), so no level
     * could be read off them; the core classes that framework classes extend or implement are
     * listed as at the oldest level, without members, and lint finds no level for their methods.
     */
    private static final String[] PACKAGES = {
        "android/", "dalvik/", "org/json/", "org/w3c/dom/", "org/xml/sax/", "org/xmlpull/v1/",
    };

    private static final class Member {
        int since;
        int deprecated;
    }

    private static final class Cls {
        int since;
        int deprecated;
        final Map<String, Member> supers = new TreeMap<>();
        final Map<String, Member> interfaces = new TreeMap<>();
        final Map<String, Member> methods = new TreeMap<>();
        final Map<String, Member> fields = new TreeMap<>();
    }

    private final Map<String, Cls> classes = new TreeMap<>();
    private final Set<String> nonSdk = new HashSet<>();
    private int level;

    public static void main(String[] args) throws IOException {
        if (args.length < 3) {
            System.err.println("usage: ApiVersions OUT.xml LINT_CHECKS_JAR LEVEL=JAR...");
            System.exit(2);
        }
        ApiVersions db = new ApiVersions();
        db.readNonSdk(args[1]);
        int first = -1;
        int newest = -1;
        for (int i = 2; i < args.length; i++) {
            int eq = args[i].indexOf('=');
            int level = Integer.parseInt(args[i].substring(0, eq));
            if (level <= newest) {
                throw new IllegalArgumentException("levels must rise: " + args[i]);
            }
            if (first < 0) {
                first = level;
            }
            newest = level;
            db.read(level, args[i].substring(eq + 1));
        }
        if (db.classes.size() < 1000) {
            throw new IllegalStateException("too few classes read: " + db.classes.size());
        }
        db.addMissingSupertypes(first);
        db.write(args[0], first);
    }

    private void readNonSdk(String jar) throws IOException {
        try (ZipFile zip = new ZipFile(jar);
                BufferedReader in = new BufferedReader(new InputStreamReader(
                        zip.getInputStream(zip.getEntry("private-apis.txt")),
                        StandardCharsets.UTF_8))) {
            String line;
            while ((line = in.readLine()) != null) {
                int comma = line.lastIndexOf(',');
                if (comma > 0 && line.startsWith("L")) {
                    nonSdk.add(line.substring(0, comma));
                }
            }
        }
        if (nonSdk.size() < 1000) {
            throw new IllegalStateException("too few non-SDK members in " + jar);
        }
    }

    private static boolean wanted(String name) {
        for (String p : PACKAGES) {
            if (name.startsWith(p)) {
                return true;
            }
        }
        return false;
    }

    private static boolean visible(int access) {
        return (access & (Opcodes.ACC_PUBLIC | Opcodes.ACC_PROTECTED)) != 0
                && (access & (Opcodes.ACC_SYNTHETIC | Opcodes.ACC_BRIDGE)) == 0;
    }

    /** Robolectric's instrumented jars add these to every class. */
    private static boolean robolectric(String name) {
        return name.startsWith("__robo") || name.contains("$$robo$$")
                || name.startsWith("org/robolectric/");
    }

    private Member see(Map<String, Member> map, String key, int access) {
        Member m = map.get(key);
        if (m == null) {
            m = new Member();
            m.since = level;
            map.put(key, m);
        }
        if (m.deprecated == 0 && (access & Opcodes.ACC_DEPRECATED) != 0) {
            m.deprecated = level;
        }
        return m;
    }

    private void read(int level, String jar) throws IOException {
        this.level = level;
        int read = 0;
        try (ZipFile zip = new ZipFile(jar)) {
            Enumeration<? extends ZipEntry> entries = zip.entries();
            while (entries.hasMoreElements()) {
                ZipEntry e = entries.nextElement();
                String name = e.getName();
                if (!name.endsWith(".class") || !wanted(name)) {
                    continue;
                }
                try (InputStream in = zip.getInputStream(e)) {
                    new ClassReader(in).accept(new Visitor(), ClassReader.SKIP_CODE
                            | ClassReader.SKIP_DEBUG | ClassReader.SKIP_FRAMES);
                }
                read++;
            }
        }
        if (read == 0) {
            throw new IllegalStateException("no framework classes in " + jar);
        }
    }

    private final class Visitor extends ClassVisitor {
        private Cls cls;
        private String owner;

        Visitor() {
            super(Opcodes.ASM9);
        }

        @Override
        public void visit(int version, int access, String name, String signature,
                String superName, String[] interfaces) {
            if (!visible(access) || name.equals("module-info") || isAnonymous(name)) {
                return;
            }
            owner = name;
            cls = classes.get(name);
            if (cls == null) {
                cls = new Cls();
                cls.since = level;
                classes.put(name, cls);
            }
            if (cls.deprecated == 0 && (access & Opcodes.ACC_DEPRECATED) != 0) {
                cls.deprecated = level;
            }
            if (superName != null) {
                see(cls.supers, superName, 0);
            }
            for (String i : interfaces) {
                if (!robolectric(i)) {
                    see(cls.interfaces, i, 0);
                }
            }
        }

        @Override
        public FieldVisitor visitField(int access, String name, String descriptor,
                String signature, Object value) {
            if (cls != null && visible(access) && !robolectric(name)
                    && !nonSdk.contains("L" + owner + ";->" + name + ":" + descriptor)) {
                see(cls.fields, name, access);
            }
            return null;
        }

        @Override
        public MethodVisitor visitMethod(int access, String name, String descriptor,
                String signature, String[] exceptions) {
            if (cls != null && visible(access) && !robolectric(name) && !name.equals("<clinit>")
                    && !nonSdk.contains("L" + owner + ";->" + name + descriptor)) {
                see(cls.methods, name + descriptor, access);
            }
            return null;
        }
    }

    /** Lint's database must hold every class that a listed class extends or implements. */
    private void addMissingSupertypes(int first) {
        Set<String> missing = new TreeSet<>();
        for (Cls c : classes.values()) {
            missing.addAll(c.supers.keySet());
            missing.addAll(c.interfaces.keySet());
        }
        missing.removeAll(classes.keySet());
        missing.add("java/lang/Object");
        for (String name : missing) {
            if (classes.containsKey(name)) {
                continue;
            }
            Cls c = new Cls();
            c.since = first;
            if (!name.equals("java/lang/Object")) {
                Member object = new Member();
                object.since = first;
                c.supers.put("java/lang/Object", object);
            }
            classes.put(name, c);
        }
    }

    private static boolean isAnonymous(String name) {
        int dollar = name.lastIndexOf('$');
        return dollar >= 0 && dollar + 1 < name.length()
                && Character.isDigit(name.charAt(dollar + 1));
    }

    private static String attrs(Member m, int parentSince) {
        StringBuilder s = new StringBuilder();
        if (m.since > parentSince) {
            s.append(" since=\"").append(m.since).append('"');
        }
        if (m.deprecated > 0) {
            s.append(" deprecated=\"").append(m.deprecated).append('"');
        }
        return s.toString();
    }

    private static String esc(String s) {
        return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
                .replace("\"", "&quot;");
    }

    private void write(String out, int first) throws IOException {
        try (PrintWriter w = new PrintWriter(Files.newBufferedWriter(Paths.get(out),
                StandardCharsets.UTF_8))) {
            w.println("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
            w.println("<api version=\"3\" min=\"" + first + "\">");
            for (Map.Entry<String, Cls> e : classes.entrySet()) {
                Cls c = e.getValue();
                w.println("\t<class name=\"" + esc(e.getKey()) + "\" since=\"" + c.since + "\""
                        + (c.deprecated > 0 ? " deprecated=\"" + c.deprecated + "\"" : "") + ">");
                for (Map.Entry<String, Member> s : c.supers.entrySet()) {
                    w.println("\t\t<extends name=\"" + esc(s.getKey()) + "\""
                            + attrs(s.getValue(), c.since) + "/>");
                }
                for (Map.Entry<String, Member> s : c.interfaces.entrySet()) {
                    w.println("\t\t<implements name=\"" + esc(s.getKey()) + "\""
                            + attrs(s.getValue(), c.since) + "/>");
                }
                for (Map.Entry<String, Member> s : c.methods.entrySet()) {
                    w.println("\t\t<method name=\"" + esc(s.getKey()) + "\""
                            + attrs(s.getValue(), c.since) + "/>");
                }
                for (Map.Entry<String, Member> s : c.fields.entrySet()) {
                    w.println("\t\t<field name=\"" + esc(s.getKey()) + "\""
                            + attrs(s.getValue(), c.since) + "/>");
                }
                w.println("\t</class>");
            }
            w.println("</api>");
        }
    }
}
