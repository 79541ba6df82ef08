// Words that belong to another desktop platform must not reach the user here: every string
// literal of src/ and the user-visible text of resources/ is read and searched for them.

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct Literal {
    int line = 0;
    QString text;
};

// The escapes that matter for reading words; any other escaped character stands for itself.
QString unescaped(const QString &body)
{
    static const QRegularExpression escape(u"\\\\(u[0-9a-fA-F]{4}|U[0-9a-fA-F]{8}|.)"_s);
    QString text;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : escape.globalMatch(body)) {
        text += QStringView(body).sliced(done, match.capturedStart() - done);
        const QString code = match.captured(1);
        const char32_t character = code.size() > 1 ? code.mid(1).toUInt(nullptr, 16) : 0;
        text += code.size() > 1 ? QString::fromUcs4(&character, 1)
                : code == u"n"  ? u"\n"_s
                : code == u"t"  ? u"\t"_s
                                : code;
        done = match.capturedEnd();
    }
    return text + QStringView(body).sliced(done);
}

// The string literals of C++ source with the line each starts on. Adjacent literals are joined
// as the compiler joins them, so a phrase split over two lines is still one text. Comments,
// character literals, numbers with digit separators and #include paths are passed over.
QList<Literal> stringLiterals(const QString &source)
{
    static const QRegularExpression token(
        uR"re(//[^\n]*|/\*.*?\*/|^[ \t]*#[ \t]*include[^\n]*|(?:u8|[uUL])?R"([^()\\\s"]*)\()re"
        uR"re((.*?)\)\1"|(?:u8|[uUL])?"((?:[^"\\\n]|\\.)*)"|(?:u8|[uUL])?'(?:[^'\\\n]|\\.)*')re"
        uR"re(|[A-Za-z_]\w*|\d[\w'.]*)re"_s,
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::MultilineOption);
    static const QRegularExpression joining(u"^\\w*\\s*$"_s); // a suffix such as _s, then space
    QList<Literal> literals;
    int line = 1;
    qsizetype counted = 0;
    qsizetype lastEnd = -1; // of the last string literal
    for (const QRegularExpressionMatch &match : token.globalMatch(source)) {
        const bool raw = match.capturedStart(2) >= 0;
        if (!raw && match.capturedStart(3) < 0)
            continue;
        line +=
            int(QStringView(source).sliced(counted, match.capturedStart() - counted).count(u'\n'));
        counted = match.capturedStart();
        const QString text = raw ? match.captured(2) : unescaped(match.captured(3));
        if (lastEnd >= 0 &&
            joining.match(QStringView(source).sliced(lastEnd, counted - lastEnd)).hasMatch())
            literals.last().text += text;
        else
            literals.append({line, text});
        lastEnd = match.capturedEnd();
    }
    return literals;
}

// The lines of a resource file that a user reads, by the file's kind.
QList<Literal> userVisibleLines(const QString &path, const QString &contents)
{
    static const QRegularExpression desktopKey(
        u"^(Name|GenericName|Comment|Keywords|X-GNOME-FullName)(\\[[^]]*\\])?="_s);
    static const QRegularExpression serviceKey(u"^Description="_s);
    QList<Literal> lines;
    const QStringList all = contents.split(u'\n');
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString &line = all[i];
        bool shown = true;
        if (path.endsWith(u".desktop") || path.endsWith(u".desktop.in"))
            shown = desktopKey.match(line).hasMatch();
        else if (path.contains(u".service"))
            shown = serviceKey.match(line).hasMatch();
        else if (path.contains(u"/man/"))
            shown = !line.startsWith(u".\\\"") && !line.startsWith(u"'\\\"");
        if (shown)
            lines.append({int(i) + 1, line});
    }
    return lines;
}

// Literals that may hold a word of the list, each with the reason it is not user text.
bool isAllowed(const QString &literal)
{
    static const QRegularExpression allowed[] = {
        // A key combination in the pad's own syntax: "cmd" is the token that the server posts
        // as Control or Super, not a key name shown as such.
        QRegularExpression(u"^(e\\.g\\. )?[a-z0-9]+(\\+[a-z0-9]+)*\\+?$"_s),
        // A logging-category name, read only in logging rules.
        QRegularExpression(u"^huebench(\\.[a-z0-9-]+)+$"_s),
        // SQL of the store: sfSymbol is the column that button records keep their icon in.
        QRegularExpression(u"^\\s*(SELECT|INSERT|UPDATE|DELETE|CREATE)\\s"_s),
    };
    return std::ranges::any_of(allowed,
                               [&](const auto &re) { return re.match(literal).hasMatch(); });
}

struct Source {
    QString path; // relative to the source tree
    QList<Literal> texts;
};

QList<Source> readSources()
{
    const QString root = QStringLiteral(HB_SOURCE_DIR);
    QList<Source> sources;
    for (const QString &folder : {u"src"_s, u"resources"_s}) {
        QDirIterator files(root + u'/' + folder, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const QString relative = path.mid(root.size() + 1);
            // Icons are pictures; their folder's licence and notes are the icon set's own text.
            if (relative.startsWith(u"resources/icons/"))
                continue;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(path));
            const QString text = QString::fromUtf8(file.readAll());
            if (folder == u"resources")
                sources.append({relative, userVisibleLines(relative, text)});
            else if (path.endsWith(u".cpp") || path.endsWith(u".h"))
                sources.append({relative, stringLiterals(text)});
        }
    }
    std::ranges::sort(sources, {}, &Source::path);
    return sources;
}

} // namespace

class TestPlatformWords : public QObject {
    Q_OBJECT

    QList<Source> m_sources;

private Q_SLOTS:
    void initTestCase();
    void noPlatformWordInUserText_data();
    void noPlatformWordInUserText();
};

void TestPlatformWords::initTestCase()
{
    m_sources = readSources();
    // A scan that finds nothing proves nothing: known texts must be among the findings, one of
    // them split over two lines.
    const auto sheet =
        std::ranges::find(m_sources, u"src/dadavezaruz/ConnectionSheet.cpp"_s, &Source::path);
    QVERIFY(sheet != m_sources.cend());
    for (const QString &known : {u"Manual Connection"_s, u"Avahi daemon, which is not running"_s}) {
        QVERIFY2(std::ranges::any_of(sheet->texts,
                                     [&](const Literal &l) { return l.text.contains(known); }),
                 qPrintable(known));
    }
}
void TestPlatformWords::noPlatformWordInUserText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("caseSensitive");

    // "Mac", "Photos", "Finder" and "Terminal" are matched as the proper names they are: a MAC
    // address, photos and a terminal are true here.
    auto row = [](const char *word, const QString &pattern, bool caseSensitive) {
        QTest::newRow(word) << pattern << caseSensitive;
    };
    row("Mac", u"\\bMacs?\\b"_s, true);
    row("macOS", u"\\bmac ?os( ?x)?\\b"_s, false);
    row("iPhone", u"\\biPhones?\\b"_s, false);
    row("iPad", u"\\biPads?\\b"_s, false);
    row("iOS", u"\\biOS\\b"_s, false);
    row("Photos", u"\\bPhotos\\b"_s, true);
    row("SF Symbol", u"\\bSF ?Symbols?\\b"_s, false);
    row("System Settings", u"\\bSystem Settings\\b"_s, false);
    row("System Preferences", u"\\bSystem Preferences\\b"_s, false);
    row("Privacy & Security", u"\\bPrivacy (&|and) Security\\b"_s, false);
    row("Bonjour", u"\\bBonjour\\b"_s, false);
    row("Finder", u"\\bFinder\\b"_s, true);
    row("Terminal", u"\\bTerminal\\b"_s, true);
    row("command glyph", u"[\u2318\u2325]"_s, false);
    row("Cmd-", u"\\bcmd[-+]"_s, false);
    row("Option key", u"\\bOption[- ]key\\b"_s, false);
    row("App Store", u"\\bApp Store\\b"_s, false);
    row("Xcode", u"\\bXcode\\b"_s, false);
}

void TestPlatformWords::noPlatformWordInUserText()
{
    QFETCH(QString, pattern);
    QFETCH(bool, caseSensitive);

    QRegularExpression word(pattern, QRegularExpression::UseUnicodePropertiesOption);
    if (!caseSensitive)
        word.setPatternOptions(word.patternOptions() | QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(word.isValid(), qPrintable(word.errorString()));

    QStringList found;
    for (const Source &source : std::as_const(m_sources)) {
        for (const Literal &text : source.texts) {
            if (word.match(text.text).hasMatch() && !isAllowed(text.text))
                found.append(u"%1:%2: %3"_s.arg(source.path).arg(text.line).arg(text.text));
        }
    }
    // One line per finding: a failure message alone would be cut short.
    for (const QString &finding : std::as_const(found))
        qWarning().noquote() << finding;
    QVERIFY2(found.isEmpty(), qPrintable(u"%1 user text(s) above say \"%2\", a word of another "
                                         u"platform"_s.arg(found.size())
                                             .arg(QString::fromUtf8(QTest::currentDataTag()))));
}

QTEST_GUILESS_MAIN(TestPlatformWords)
#include "tst_PlatformWords.moc"
