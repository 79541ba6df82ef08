#include "dadavezaruz-server/TerminalQrCode.h"

#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <ZXing/ReadBarcode.h>

using namespace Qt::StringLiterals;

namespace {

// What a terminal with the given default colours shows of `text`, a pixel per half cell, with a
// margin of the terminal's own background around it. It knows the half blocks, spaces and the
// colour codes 0, 30-37 and 40-47 (0 black, 7 white), as far as the code under test uses them.
QImage renderOnTerminal(const QString &text, QRgb defaultForeground, QRgb defaultBackground)
{
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    static const QRegularExpression escape(u"\x1b\\[([0-9;]*)m"_s);
    constexpr int kMargin = 6;
    const auto ansi = [](int n) { return n == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255); };

    QList<QList<std::pair<QRgb, QRgb>>> cells;
    qsizetype columns = 0;
    for (const QString &line : lines) {
        QRgb foreground = defaultForeground, background = defaultBackground;
        QList<std::pair<QRgb, QRgb>> row;
        for (qsizetype i = 0; i < line.size();) {
            const QRegularExpressionMatch match =
                escape.match(line, i, QRegularExpression::NormalMatch,
                             QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch()) {
                for (const QString &part : match.captured(1).split(u';')) {
                    const int n = part.toInt();
                    if (n == 0) {
                        foreground = defaultForeground;
                        background = defaultBackground;
                    } else if (n >= 30 && n <= 37) {
                        foreground = ansi(n - 30);
                    } else if (n >= 40 && n <= 47) {
                        background = ansi(n - 40);
                    }
                }
                i += match.capturedLength();
                continue;
            }
            const QChar c = line[i++];
            if (c == u'\u2580')
                row.append({foreground, background});
            else if (c == u' ')
                row.append({background, background});
            else if (c == u'\u2588')
                row.append({foreground, foreground});
            else if (c == u'\u2584')
                row.append({background, foreground});
        }
        columns = std::max(columns, row.size());
        cells.append(row);
    }
    QImage image(int(columns) + 2 * kMargin, int(cells.size()) * 2 + 2 * kMargin,
                 QImage::Format_RGB32);
    image.fill(defaultBackground);
    for (qsizetype y = 0; y < cells.size(); ++y) {
        for (qsizetype x = 0; x < cells[y].size(); ++x) {
            image.setPixel(int(x) + kMargin, int(y) * 2 + kMargin, cells[y][x].first);
            image.setPixel(int(x) + kMargin, int(y) * 2 + 1 + kMargin, cells[y][x].second);
        }
    }
    return image.scaled(image.size() * 4).convertToFormat(QImage::Format_Grayscale8);
}

QString decode(const QImage &image)
{
    const ZXing::ImageView view(image.constBits(), image.width(), image.height(),
                                ZXing::ImageFormat::Lum, int(image.bytesPerLine()));
    return QString::fromStdString(ZXing::ReadBarcode(view).text());
}

} // namespace

class TestTerminalQrCode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The reader does not try inverted codes: only the right polarity reads.
    void readsOnLightAndDarkTerminals_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QRgb>("foreground");
        QTest::addColumn<QRgb>("background");
        for (const QString &code : {u"192.0.2.20:58432"_s, u"studio-7.local:6000"_s}) {
            QTest::addRow("dark terminal, %s", qPrintable(code))
                << code << qRgb(230, 230, 230) << qRgb(20, 20, 20);
            QTest::addRow("light terminal, %s", qPrintable(code))
                << code << qRgb(20, 20, 20) << qRgb(250, 250, 250);
        }
    }

    void readsOnLightAndDarkTerminals()
    {
        QFETCH(QString, code);
        QFETCH(QRgb, foreground);
        QFETCH(QRgb, background);
        const QString text = hb::terminalQrCode(code);
        QCOMPARE(decode(renderOnTerminal(text, foreground, background)), code);
        for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
            QVERIFY(line.endsWith(u"\x1b[0m"_s)); // the prompt after it keeps its own colours
    }
};

QTEST_GUILESS_MAIN(TestTerminalQrCode)
#include "tst_TerminalQrCode.moc"
