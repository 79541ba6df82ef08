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

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The escapes that matter for reading words; any other escaped character stands for itself.
QString unescaped(QStringView body)
{
    QString text;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] != u'\\' || i + 1 == body.size()) {
            text += body[i];
            continue;
        }
        const QChar kind = body[++i];
        const int digits = kind == u'u' ? 4 : kind == u'U' ? 8 : 0;
        if (digits > 0 && i + digits < body.size()) {
            bool ok = false;
            const uint code = body.sliced(i + 1, digits).toUInt(&ok, 16);
            if (ok) {
                const char32_t character = code;
                text += QString::fromUcs4(&character, 1);
                i += digits;
                continue;
            }
        }
        text += kind == u'n' ? QChar(u'\n') : kind == u't' ? QChar(u'\t') : kind;
    }
    return text;
}

// The string literals of C++ source with the line each starts on. Adjacent literals are joined
// as the compiler joins them, so a phrase split over two lines is still one text. Comments,
// character literals, numbers with digit separators and #include paths are skipped.
class LiteralScanner {
public:
    explicit LiteralScanner(const QString &source) : m_source(source) {}

    QList<Literal> literals()
    {
        while (m_at < m_source.size())
            step();
        return m_literals;
    }

private:
    QChar peek(qsizetype ahead = 0) const
    {
        return m_at + ahead < m_source.size() ? m_source[m_at + ahead] : QChar();
    }
    void advance(qsizetype count = 1)
    {
        for (qsizetype i = 0; i < count && m_at < m_source.size(); ++i, ++m_at) {
            if (m_source[m_at] == u'\n')
                ++m_line;
        }
    }
    void skipPast(QStringView end)
    {
        while (m_at < m_source.size() && !QStringView(m_source).sliced(m_at).startsWith(end))
            advance();
        advance(end.size());
    }

    void step()
    {
        const QChar c = peek();
        if (c == u'/' && peek(1) == u'/') {
            skipPast(u"\n");
        } else if (c == u'/' && peek(1) == u'*') {
            skipPast(u"*/");
        } else if (c == u'#' && atLineStart()) {
            directive();
        } else if (c == u'"') {
            stringLiteral(false);
        } else if (c == u'\'') {
            characterLiteral();
        } else if (c.isDigit()) {
            number();
        } else if (isIdentifierChar(c)) {
            identifier();
        } else {
            if (!c.isSpace())
                m_joinable = false;
            m_afterLiteral = false;
            advance();
        }
    }

    bool atLineStart() const
    {
        for (qsizetype i = m_at - 1; i >= 0 && m_source[i] != u'\n'; --i) {
            if (!m_source[i].isSpace())
                return false;
        }
        return true;
    }

    void directive()
    {
        static const QRegularExpression include(u"^#\\s*include\\b"_s);
        if (include.match(QStringView(m_source).sliced(m_at)).hasMatch()) {
            skipPast(u"\n");
            return;
        }
        m_joinable = false;
        advance();
    }

    void identifier()
    {
        const qsizetype start = m_at;
        while (isIdentifierChar(peek()))
            advance();
        const QStringView word = QStringView(m_source).sliced(start, m_at - start);
        static const QStringList prefixes{u"u"_s, u"u8"_s, u"U"_s, u"L"_s};
        static const QStringList rawPrefixes{u"R"_s, u"uR"_s, u"u8R"_s, u"UR"_s, u"LR"_s};
        if (peek() == u'"' && prefixes.contains(word)) {
            stringLiteral(false);
        } else if (peek() == u'"' && rawPrefixes.contains(word)) {
            stringLiteral(true);
        } else if (peek() == u'\'' && prefixes.contains(word)) {
            characterLiteral();
        } else if (!m_afterLiteral) {
            m_joinable = false; // a user-defined suffix such as _s keeps the literal whole
        }
        m_afterLiteral = false;
    }

    void number()
    {
        while (isIdentifierChar(peek()) || peek() == u'.' || peek() == u'\'' ||
               ((peek() == u'+' || peek() == u'-') &&
                QStringLiteral("eEpP").contains(m_source[m_at - 1])))
            advance();
        m_joinable = false;
    }

    void characterLiteral()
    {
        advance();
        while (m_at < m_source.size() && peek() != u'\'' && peek() != u'\n')
            advance(peek() == u'\\' ? 2 : 1);
        advance();
        m_joinable = false;
    }

    void stringLiteral(bool raw)
    {
        const int line = m_line;
        advance(); // the opening quote
        QString text;
        if (raw) {
            const qsizetype open = m_source.indexOf(u'(', m_at);
            if (open < 0) {
                advance(m_source.size() - m_at);
                return;
            }
            const QString end = u')' + m_source.sliced(m_at, open - m_at) + u'"';
            advance(open + 1 - m_at);
            qsizetype close = m_source.indexOf(end, m_at);
            if (close < 0)
                close = m_source.size();
            text = m_source.sliced(m_at, close - m_at);
            advance(close + end.size() - m_at);
        } else {
            const qsizetype start = m_at;
            while (m_at < m_source.size() && peek() != u'"' && peek() != u'\n')
                advance(peek() == u'\\' ? 2 : 1);
            text = unescaped(QStringView(m_source).sliced(start, m_at - start));
            advance();
        }
        if (m_joinable && !m_literals.isEmpty())
            m_literals.last().text += text;
        else
            m_literals.append({line, text});
        m_joinable = true;
        m_afterLiteral = true;
    }

    const QString &m_source;
    qsizetype m_at = 0;
    int m_line = 1;
    bool m_joinable = false;     // the next literal continues the last one
    bool m_afterLiteral = false; // the next identifier is a literal's suffix
    QList<Literal> m_literals;
};

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
struct Allowed {
    QRegularExpression literal;
    const char *reason;
};

const QList<Allowed> &allowList()
{
    static const QList<Allowed> allowed{
        {QRegularExpression(u"^(e\\.g\\. )?[a-z0-9]+(\\+[a-z0-9]+)*\\+?$"_s),
         "a key combination in the pad's own syntax: \"cmd\" is the token that the server posts "
         "as Control or Super, not a key name shown as such"},
        {QRegularExpression(u"^huebench(\\.[a-z0-9-]+)+$"_s),
         "a logging-category name, read only in logging rules"},
        {QRegularExpression(u"^\\s*(SELECT|INSERT|UPDATE|DELETE|CREATE)\\s"_s),
         "SQL of the store: sfSymbol is the column that button records keep their icon in"},
    };
    return allowed;
}

bool isAllowed(const QString &literal)
{
    return std::any_of(allowList().begin(), allowList().end(), [&](const Allowed &entry) {
        return entry.literal.match(literal).hasMatch();
    });
}

struct Source {
    QString path; // relative to the source tree
    QList<Literal> texts;
};

QList<Source> readSources()
{
    const QString root = QStringLiteral(HB_SOURCE_DIR);
    QList<Source> sources;
    QDirIterator code(root + u"/src"_s, {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                      QDirIterator::Subdirectories);
    while (code.hasNext()) {
        const QString path = code.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QString text = QString::fromUtf8(file.readAll());
        sources.append({path.mid(root.size() + 1), LiteralScanner(text).literals()});
    }
    QDirIterator resources(root + u"/resources"_s, QDir::Files, QDirIterator::Subdirectories);
    while (resources.hasNext()) {
        const QString path = resources.next();
        // Icons are pictures; their folder's licence and notes are the icon set's own text.
        if (path.contains(u"/resources/icons/"))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QString relative = path.mid(root.size() + 1);
        sources.append({relative, userVisibleLines(relative, QString::fromUtf8(file.readAll()))});
    }
    std::sort(sources.begin(), sources.end(),
              [](const Source &a, const Source &b) { return a.path < b.path; });
    return sources;
}

} // namespace

class TestPlatformWords : public QObject {
    Q_OBJECT

    QList<Source> m_sources;

private Q_SLOTS:
    void initTestCase();
    void scannerReadsLiteralsAsTheCompilerDoes_data();
    void scannerReadsLiteralsAsTheCompilerDoes();
    void noPlatformWordInUserText_data();
    void noPlatformWordInUserText();
};

void TestPlatformWords::initTestCase()
{
    m_sources = readSources();
    // A scan that finds nothing proves nothing: one known text must be among the findings.
    const auto sheet = std::find_if(m_sources.cbegin(), m_sources.cend(), [](const Source &s) {
        return s.path == u"src/dadavezaruz/ConnectionSheet.cpp";
    });
    QVERIFY(sheet != m_sources.cend());
    QVERIFY(std::any_of(sheet->texts.cbegin(), sheet->texts.cend(),
                        [](const Literal &l) { return l.text == u"Manual Connection"; }));
}

void TestPlatformWords::scannerReadsLiteralsAsTheCompilerDoes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("lines");

    // The two ways a scanner goes quietly wrong: a phrase split over lines read as two texts,
    // and a quote inside a character literal or escape read as the end of a string.
    QTest::newRow("adjacent literals join")
        << u"x = u\"Connect to \"\n    u\"Mac\"_s;\ny(\"z\");"_s
        << QStringList{u"Connect to Mac"_s, u"z"_s} << QList<int>{1, 3};
    QTest::newRow("quotes in characters and escapes")
        << uR"(c = '"'; d = u'\''; s = "say \"hi\"\n"; n = 1'000;)"_s
        << QStringList{u"say \"hi\"\n"_s} << QList<int>{1};
}

void TestPlatformWords::scannerReadsLiteralsAsTheCompilerDoes()
{
    QFETCH(QString, source);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, lines);

    QStringList foundTexts;
    QList<int> foundLines;
    for (const Literal &literal : LiteralScanner(source).literals()) {
        foundTexts.append(literal.text);
        foundLines.append(literal.line);
    }
    QCOMPARE(foundTexts, texts);
    QCOMPARE(foundLines, lines);
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
