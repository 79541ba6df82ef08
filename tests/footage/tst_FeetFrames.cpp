#include "footage/FeetFrames.h"
#include "footage/FeetFramesInput.h"

#include <QTest>

#include <limits>

using namespace hb;
using namespace Qt::StringLiterals;
using Format = FilmFormat;
using Mode = InputMode;
using State = FeetFramesState;
using Input = FeetFramesInput;
using Check = InputTextCheck;

namespace {
constexpr qint64 kHuge = std::numeric_limits<qint64>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();
// Every input holds a different value.
const State kFilled{.inputFeet = 1'234'567,
                    .inputFrames = 15,
                    .inputTotalFrames = 98'765'432'100,
                    .inputTC = {123'456, 7, 8, 9},
                    .inputMeters = 1234.25};
} // namespace

class TestFeetFrames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outputs_data();
    void outputs();
    void roundTrips_data();
    void roundTrips();
    void normalise_data();
    void normalise();
    void typedText_data();
    void typedText();
};

void TestFeetFrames::outputs_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("texts"); // total | feet+frames | timecode | metres
    const Format threePerf = Format::mm35_3perf;
    const auto totalOf = [](Format format, qint64 total) {
        return State{.format = format, .mode = Mode::totalFrames, .inputTotalFrames = total};
    };
    const QString zero = u"0 | 0+0 | 00:00:00:00 | 0.00"_s;
    const QString limit = u"100000000000 | 6250000000+0 | 1157407:24:26:16 | 1905000000.01"_s;
    QTest::newRow("initial") << State{} << zero;
    QTest::newRow("4-perf 10+8") << State{.inputFeet = 10, .inputFrames = 8}
                                 << u"168 | 10+8 | 00:00:07:00 | 3.20"_s;
    QTest::newRow("frames past a foot count in full")
        << State{.inputFeet = 10, .inputFrames = 20} << u"180 | 11+4 | 00:00:07:12 | 3.43"_s;
    QTest::newRow("3.2 metres") << State{.mode = Mode::meters, .inputMeters = 3.2}
                                << u"168 | 10+8 | 00:00:07:00 | 3.20"_s;
    QTest::newRow("timecode frames past the rate")
        << State{.mode = Mode::timecode, .inputTC = {0, 0, 0, 30}}
        << u"23 | 1+7 | 00:00:00:23 | 0.44"_s;
    QTest::newRow("100 hours") << State{.mode = Mode::timecode, .inputTC = {100, 0, 0, 0}}
                               << u"8640000 | 540000+0 | 100:00:00:00 | 164592.00"_s;
    QTest::newRow("fps below 1 counts as 1")
        << State{.fps = 0, .mode = Mode::timecode, .inputTC = {1, 1, 1, 5}}
        << u"3661 | 228+13 | 01:01:01:00 | 69.74"_s;
    QTest::newRow("8mm") << State{.format = Format::mm8, .inputFeet = 12, .inputFrames = 7}
                         << u"967 | 12+7 | 00:00:40:07 | 3.68"_s;
    QTest::newRow("3-perf 42") << totalOf(threePerf, 42) << u"42 | 1+21 | 00:00:01:18 | 0.60"_s;
    QTest::newRow("3-perf 43") << totalOf(threePerf, 43) << u"43 | 2+0 | 00:00:01:19 | 0.61"_s;
    QTest::newRow("3-perf 64") << totalOf(threePerf, 64) << u"64 | 3+0 | 00:00:02:16 | 0.91"_s;
    QTest::newRow("3-perf 2+0") << State{.format = threePerf, .inputFeet = 2}
                                << u"43 | 2+0 | 00:00:01:19 | 0.61"_s;
    QTest::newRow("negative feet") << State{.inputFeet = -3, .inputFrames = -5} << zero;
    QTest::newRow("negative metres") << State{.mode = Mode::meters, .inputMeters = -5} << zero;
    QTest::newRow("NaN metres") << State{.mode = Mode::meters, .inputMeters = qQNaN()} << zero;
    QTest::newRow("infinite metres") << State{.mode = Mode::meters, .inputMeters = kInf} << limit;
    QTest::newRow("feet past 64 bits") << State{.inputFeet = kHuge, .inputFrames = kHuge} << limit;
    QTest::newRow("total past 64 bits") << totalOf(Format::mm35_4perf, kHuge) << limit;
    QTest::newRow("hours past 64 bits")
        << State{.mode = Mode::timecode, .inputTC = {kHuge, 59, 59, 23}} << limit;
    QTest::newRow("fps past 32 bits")
        << State{.fps = std::numeric_limits<int>::max(),
                 .mode = Mode::timecode,
                 .inputTC = {kMaxHours, 0, 0, 0}}
        << u"100000000000 | 6250000000+0 | 00:00:46:1215752238 | 1905000000.01"_s;
}

void TestFeetFrames::outputs()
{
    QFETCH(State, state);
    const FeetFramesOutput output = outputOf(state);
    QTEST(QStringList({output.totalFrames, output.feetFrames, output.timecode, output.meters})
              .join(u" | "),
          "texts");
}

void TestFeetFrames::roundTrips_data()
{
    QTest::addColumn<Format>("format");
    for (Format format : kFilmFormats)
        QTest::newRow(displayText(format).toUtf8().constData()) << format;
}

// Totals, one by one and then in growing steps up to the limit, come back from feet+frames,
// timecode and metres, and feet+frames only ever grow.
void TestFeetFrames::roundTrips()
{
    QFETCH(Format, format);
    FeetAndFrames previous{-1, 0};
    const auto check = [&](qint64 total) {
        const FeetAndFrames length = totalToFeetFrames(total, format);
        const QByteArray where = QByteArray::number(total);
        QVERIFY2(length.frames >= 0 && length.frames <= highestFrameNumber(format), where);
        QVERIFY2(length.feet > previous.feet ||
                     (length.feet == previous.feet && length.frames > previous.frames),
                 where);
        previous = length;
        QVERIFY2(feetFramesToTotal(length.feet, length.frames, format) == total, where);
        QVERIFY2(metresToTotal(totalToMetres(total, format), format) == total, where);
        for (int fps : {1, 24, 25, 120}) {
            const Timecode tc = totalToTimecode(total, fps);
            QVERIFY2(tc.minutes < 60 && tc.seconds < 60 && tc.frames < fps, where);
            QVERIFY2(timecodeToTotal(tc.hours, tc.minutes, tc.seconds, tc.frames, fps) == total,
                     where);
        }
    };
    qint64 total = 0;
    for (; total < 20'000; ++total)
        check(total);
    for (; total <= kMaxTotalFrames - 3; total += total / 50) {
        previous = {-1, 0};
        for (qint64 next = total; next < total + 3; ++next)
            check(next);
    }
    check(kMaxTotalFrames);
}

void TestFeetFrames::normalise_data()
{
    QTest::addColumn<State>("before");
    QTest::addColumn<State>("after");
    const auto frames = [](Format format, qint64 count) {
        return State{.format = format, .inputFrames = count};
    };
    const auto tc = [](int fps, Timecode timecode) {
        return State{.fps = fps, .mode = Mode::timecode, .inputTC = timecode};
    };
    QTest::newRow("4-perf frames 20")
        << frames(Format::mm35_4perf, 20) << frames(Format::mm35_4perf, 15);
    QTest::newRow("3-perf frames 30")
        << frames(Format::mm35_3perf, 30) << frames(Format::mm35_3perf, 21);
    QTest::newRow("timecode at 24") << tc(24, {-1, 75, 60, 30}) << tc(24, {0, 59, 59, 23});
    QTest::newRow("negative") << State{.inputFeet = -1,
                                       .inputFrames = -1,
                                       .inputTotalFrames = -1,
                                       .inputMeters = -2.5}
                              << State{};
    QTest::newRow("NaN metres") << State{.inputMeters = qQNaN()} << State{};
    QTest::newRow("past the supported range") << State{.inputFeet = kHuge,
                                                       .inputTotalFrames = kHuge,
                                                       .inputTC = {kHuge, 0, 0, 0},
                                                       .inputMeters = kInf}
                                              << State{.inputFeet = kMaxFeet,
                                                       .inputTotalFrames = kMaxTotalFrames,
                                                       .inputTC = {kMaxHours, 0, 0, 0},
                                                       .inputMeters = kMaxMetres};
}

void TestFeetFrames::normalise()
{
    QFETCH(State, before);
    normaliseInputs(before);
    QTEST(before, "after");
}

void TestFeetFrames::typedText_data()
{
    QTest::addColumn<Input>("input");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Check>("check");
    QTest::addColumn<QString>("stored"); // the input's text in the C locale, when acceptable
    const auto row = [](const char *name, Input input, const char *locale, const char16_t *text,
                        Check check, const char16_t *stored = u"") {
        QTest::newRow(name) << input << QString::fromLatin1(locale) << QString::fromUtf16(text)
                            << check << QString::fromUtf16(stored);
    };
    const Check ok = Check::acceptable;
    row("grouped anywhere", Input::feet, "en_US", u" 12,34 ", ok, u"1234");
    row("French, typed space", Input::totalFrames, "fr_FR", u"1 234", ok, u"1234");
    row("fraction in an integer field", Input::frames, "en_US", u"1.5", Check::invalid);
    row("feet at the limit", Input::feet, "en_US", u"-1000000000", ok, u"-1000000000");
    row("feet past the limit", Input::feet, "en_US", u"1000000001", Check::invalid);
    row("German metres", Input::meters, "de_DE", u"1.234,5", ok, u"1234.5");
    row("half an exponent", Input::meters, "en_US", u"1e", Check::intermediate);
    row("metres past the limit", Input::meters, "en_US", u"300000001", Check::invalid);
    row("infinite metres", Input::meters, "en_US", u"inf", Check::invalid);
}

void TestFeetFrames::typedText()
{
    QFETCH(Input, input);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(Check, check);
    QCOMPARE(checkInputText(input, text, QLocale(locale)), check);
    State state = kFilled;
    QCOMPARE(setInputText(state, input, text, QLocale(locale)), check == Check::acceptable);
    if (check == Check::acceptable) {
        QTEST(inputText(state, input, QLocale::c()), "stored");
        // Put the old value back: nothing else may have changed.
        QVERIFY(setInputText(state, input, inputText(kFilled, input, QLocale::c()), QLocale::c()));
    }
    QCOMPARE(state, kFilled);
}

QTEST_GUILESS_MAIN(TestFeetFrames)
#include "tst_FeetFrames.moc"
