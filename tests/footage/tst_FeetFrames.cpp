#include "footage/FeetFrames.h"
#include "footage/FeetFramesInput.h"
#include "footage/FeetFramesSavedInputs.h"

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
const State kFilled{.format = Format::mm65_5perf,
                    .fps = 23.976,
                    .mode = Mode::timecode,
                    .inputFeet = 1'234'567,
                    .inputFrames = 12,
                    .inputTotalFrames = 98'765'432'100,
                    .inputTC = {123'456, 7, 8, 9},
                    .inputMeters = 1234.25};

QString outputText(const State &state)
{
    const FeetFramesOutput output = outputOf(state);
    return QStringList({output.totalFrames, output.feetFrames, output.timecode, output.meters})
        .join(u" | ");
}

// "field: note" for every field with a note, in field order.
QString notesText(const InputNotes &notes)
{
    QStringList lines;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (!notes[i].isEmpty())
            lines.append(QString::number(i) + u": "_s + notes[i]);
    }
    return lines.join(u'\n');
}
} // namespace

class TestFeetFrames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outputs_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("texts"); // total | feet+frames | timecode | metres
        const auto totalOf = [](Format format, qint64 total) {
            return State{.format = format, .mode = Mode::totalFrames, .inputTotalFrames = total};
        };
        const auto tc = [](double fps, Timecode timecode) {
            return State{.fps = fps, .mode = Mode::timecode, .inputTC = timecode};
        };
        const auto length = [](Format format, qint64 feet, qint64 frames) {
            return State{.format = format, .inputFeet = feet, .inputFrames = frames};
        };
        const QString zero = u"0 | 0+0 | 00:00:00:00 | 0.00"_s;
        // Each gauge worked by hand: frames = feet × frames per foot (+ frames), timecode at 24
        // fps, metres = feet ÷ 3.280839895.
        QTest::newRow("8mm") << length(Format::mm8, 10, 5) << u"805 | 10+5 | 00:00:33:13 | 3.07"_s;
        QTest::newRow("Super 8") << length(Format::super8, 10, 5)
                                 << u"725 | 10+5 | 00:00:30:05 | 3.07"_s;
        QTest::newRow("16mm") << length(Format::mm16, 10, 5)
                              << u"405 | 10+5 | 00:00:16:21 | 3.09"_s;
        QTest::newRow("4-perf") << length(Format::mm35_4perf, 10, 5)
                                << u"165 | 10+5 | 00:00:06:21 | 3.14"_s;
        QTest::newRow("3-perf") << length(Format::mm35_3perf, 10, 5)
                                << u"218 | 10+5 | 00:00:09:02 | 3.11"_s;
        // 21333.33 frames: frame 21333 still lies in foot 999.
        QTest::newRow("3-perf 1000 ft")
            << length(Format::mm35_3perf, 1000, 0) << u"21333 | 999+21 | 00:14:48:21 | 304.80"_s;
        QTest::newRow("2-perf") << length(Format::mm35_2perf, 10, 5)
                                << u"325 | 10+5 | 00:00:13:13 | 3.10"_s;
        QTest::newRow("65mm") << length(Format::mm65_5perf, 10, 5)
                              << u"133 | 10+5 | 00:00:05:13 | 3.17"_s;
        // Foot 3 starts at 38.4 frames: frame 38 still lies in foot 2, the way 3-perf counts.
        QTest::newRow("65mm 3 ft")
            << length(Format::mm65_5perf, 3, 0) << u"38 | 2+12 | 00:00:01:14 | 0.90"_s;
        QTest::newRow("65mm 2+12")
            << length(Format::mm65_5perf, 2, 12) << u"38 | 2+12 | 00:00:01:14 | 0.90"_s;
        const QString limit = u"100000000000 | 6250000000+0 | 1157407:24:26:16 | 1905000000.01"_s;
        QTest::newRow("initial") << State{} << zero;
        QTest::newRow("frames past a foot count in full")
            << State{.inputFeet = 10, .inputFrames = 20} << u"180 | 11+4 | 00:00:07:12 | 3.43"_s;
        QTest::newRow("3.2 metres") << State{.mode = Mode::meters, .inputMeters = 3.2}
                                    << u"168 | 10+8 | 00:00:07:00 | 3.20"_s;
        QTest::newRow("timecode frames past the rate")
            << tc(24, {0, 0, 0, 30}) << u"23 | 1+7 | 00:00:00:23 | 0.44"_s;
        // Non-drop-frame timecode counts the nominal whole rate.
        QTest::newRow("23.976: a minute")
            << tc(23.976, {0, 1, 0, 0}) << u"1440 | 90+0 | 00:01:00:00 | 27.43"_s;
        QTest::newRow("59.94: frame 59")
            << tc(59.94, {0, 0, 0, 59}) << u"59 | 3+11 | 00:00:00:59 | 1.12"_s;
        QTest::newRow("23.976: 47 frames")
            << State{.fps = 23.976, .inputFrames = 47} << u"47 | 2+15 | 00:00:01:23 | 0.90"_s;
        QTest::newRow("12.5 counts 13")
            << tc(12.5, {0, 0, 1, 12}) << u"25 | 1+9 | 00:00:01:12 | 0.48"_s;
        QTest::newRow("fps below 1 counts as 1")
            << tc(0.4, {1, 1, 1, 5}) << u"3661 | 228+13 | 01:01:01:00 | 69.74"_s;
        QTest::newRow("NaN fps counts as 1")
            << tc(qQNaN(), {0, 0, 3, 0}) << u"3 | 0+3 | 00:00:03:00 | 0.06"_s;
        QTest::newRow("3-perf 42")
            << totalOf(Format::mm35_3perf, 42) << u"42 | 1+21 | 00:00:01:18 | 0.60"_s;
        QTest::newRow("3-perf 43")
            << totalOf(Format::mm35_3perf, 43) << u"43 | 2+0 | 00:00:01:19 | 0.61"_s;
        QTest::newRow("65mm 13") << totalOf(Format::mm65_5perf, 13)
                                 << u"13 | 1+0 | 00:00:00:13 | 0.31"_s;
        QTest::newRow("negative feet") << State{.inputFeet = -3, .inputFrames = -5} << zero;
        QTest::newRow("NaN metres") << State{.mode = Mode::meters, .inputMeters = qQNaN()} << zero;
        QTest::newRow("infinite metres")
            << State{.mode = Mode::meters, .inputMeters = kInf} << limit;
        QTest::newRow("feet past 64 bits")
            << State{.inputFeet = kHuge, .inputFrames = kHuge} << limit;
        QTest::newRow("total past 64 bits") << totalOf(Format::mm35_4perf, kHuge) << limit;
        QTest::newRow("hours past 64 bits") << tc(24, {kHuge, 59, 59, 23}) << limit;
        QTest::newRow("fps past 32 bits")
            << tc(std::numeric_limits<int>::max(), {kMaxHours, 0, 0, 0})
            << u"100000000000 | 6250000000+0 | 00:00:46:1215752238 | 1905000000.01"_s;
        QTest::newRow("infinite fps")
            << tc(kInf, {0, 0, 0, 5}) << u"5 | 0+5 | 00:00:00:05 | 0.10"_s;
    }

    void outputs()
    {
        QFETCH(State, state);
        QTEST(outputText(state), "texts");
    }

    void roundTrips_data()
    {
        QTest::addColumn<Format>("format");
        for (Format format : kFilmFormats)
            QTest::newRow(displayText(format).toUtf8().constData()) << format;
    }

    // Totals, one by one and then in growing steps up to the limit, come back from feet+frames,
    // timecode and metres, and feet+frames only ever grow.
    void roundTrips()
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
            for (double fps : {1.0, 23.976, 25.0, 29.97, 120.0}) {
                const Timecode tc = totalToTimecode(total, fps);
                QVERIFY2(tc.minutes < 60 && tc.seconds < 60 && tc.frames < nominalFrameRate(fps),
                         where);
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

    void normalise_data()
    {
        QTest::addColumn<State>("before");
        QTest::addColumn<State>("after");
        QTest::addColumn<QString>("notes"); // index: note, in the C locale
        const auto length = [](Format format, qint64 feet, qint64 frames) {
            return State{.format = format, .inputFeet = feet, .inputFrames = frames};
        };
        const auto tc = [](double fps, Timecode timecode) {
            return State{.fps = fps, .mode = Mode::timecode, .inputTC = timecode};
        };
        QTest::newRow("frames carried into feet")
            << length(Format::mm35_4perf, 90, 20) << length(Format::mm35_4perf, 91, 4)
            << u"1: Frames over one foot carried into feet: 90+20 → 91+4"_s;
        QTest::newRow("3-perf frames 30")
            << length(Format::mm35_3perf, 0, 30) << length(Format::mm35_3perf, 1, 9)
            << u"1: Frames over one foot carried into feet: 0+30 → 1+9"_s;
        QTest::newRow("65mm frame 12 stays")
            << length(Format::mm65_5perf, 2, 12) << length(Format::mm65_5perf, 2, 12) << QString();
        QTest::newRow("65mm frame 13 carried")
            << length(Format::mm65_5perf, 0, 13) << length(Format::mm65_5perf, 1, 0)
            << u"1: Frames over one foot carried into feet: 0+13 → 1+0"_s;
        QTest::newRow("carried past the last foot")
            << length(Format::mm35_4perf, kMaxFeet, 16) << length(Format::mm35_4perf, kMaxFeet, 15)
            << u"1: Frames limited to 15"_s;
        QTest::newRow("timecode at 24")
            << tc(24, {-1, 75, 60, 30}) << tc(24, {0, 59, 59, 23})
            << u"3: No negative hours: taken as 0\n4: Minutes limited to 59\n"
               u"5: Seconds limited to 59\n6: Frames limited to 23: timecode counts 24 a second"_s;
        QTest::newRow("timecode at 29.97")
            << tc(29.97, {0, 0, 0, 35}) << tc(29.97, {0, 0, 0, 29})
            << u"6: Frames limited to 29: timecode counts 30 a second"_s;
        QTest::newRow("rate over 120")
            << State{.fps = 500} << State{.fps = 120} << u"8: Frame rate limited to 120"_s;
        QTest::newRow("rate below 1")
            << State{.fps = 0.5} << State{.fps = 1} << u"8: Frame rate raised to 1"_s;
        QTest::newRow("NaN rate") << State{.fps = qQNaN()} << State{}
                                  << u"8: Frame rate raised to 24"_s;
        QTest::newRow("negative") << State{.inputFeet = -1,
                                           .inputFrames = -1,
                                           .inputTotalFrames = -1,
                                           .inputMeters = -2.5}
                                  << State{}
                                  << u"0: No negative feet: taken as 0\n"
                                     u"1: No negative frames: taken as 0\n"
                                     u"2: No negative total frames: taken as 0\n"
                                     u"7: No negative meters: taken as 0"_s;
        QTest::newRow("past the supported range")
            << State{.inputFeet = kHuge,
                     .inputTotalFrames = kHuge,
                     .inputTC = {kHuge, 0, 0, 0},
                     .inputMeters = kInf}
            << State{.inputFeet = kMaxFeet,
                     .inputTotalFrames = kMaxTotalFrames,
                     .inputTC = {kMaxHours, 0, 0, 0},
                     .inputMeters = kMaxMetres}
            << u"0: Feet limited to 1000000000\n2: Total Frames limited to 100000000000\n"
               u"3: Hours limited to 200000\n7: Meters limited to 300000000"_s;
    }

    void normalise()
    {
        QFETCH(State, before);
        const QString notes = notesText(normaliseInputsWithNotes(before, QLocale::c()));
        if (!std::isnan(before.fps)) // NaN never equals itself
            QTEST(before, "after");
        QTEST(notes, "notes");
    }

    void typedText_data()
    {
        QTest::addColumn<Input>("input");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("stored"); // the input's text in the C locale, when acceptable
        QTest::addColumn<QString>("note");
        const auto row = [](const char *name, Input input, const char *locale, const char16_t *text,
                            Check check, const char16_t *stored, const char16_t *note = u"") {
            QTest::newRow(name) << input << QString::fromLatin1(locale) << QString::fromUtf16(text)
                                << check << QString::fromUtf16(stored) << QString::fromUtf16(note);
        };
        const Check ok = Check::acceptable;
        const Check refused = Check::invalid;
        const Check partial = Check::intermediate;
        row("grouped", Input::feet, "en_US", u" 12,345,678 ", ok, u"12345678");
        row("grouped anywhere", Input::feet, "en_US", u" 12,34 ", ok, u"1234",
            u"Read as 1,234: “,” groups thousands");
        row("German point groups", Input::meters, "de_DE", u"12.5", ok, u"125",
            u"Read as 125: “.” groups thousands");
        row("French, typed space", Input::totalFrames, "fr_FR", u"1 234", ok, u"1234");
        row("French, misplaced space", Input::totalFrames, "fr_FR", u"12 34", ok, u"1234",
            u"Read as 1\u202F234: spaces group thousands");
        row("fraction in feet", Input::feet, "en_US", u"12.5", ok, u"12",
            u"Only whole feet: the fraction is dropped");
        row("fraction in total frames", Input::totalFrames, "de_DE", u"7,9", ok, u"7",
            u"Only whole total frames: the fraction is dropped");
        row("minus zero", Input::meters, "en_US", u"-0", ok, u"0");
        row("feet past the limit", Input::feet, "en_US", u"1000000001", ok, u"1000000000",
            u"Feet limited to 1,000,000,000");
        row("past 64 bits", Input::totalFrames, "C", u"99999999999999999999", ok, u"100000000000",
            u"Total Frames limited to 100000000000");
        row("exponent in frames", Input::frames, "en_US", u"1e3", refused, u"",
            u"Not taken: “e” is not part of a number");
        row("two points", Input::meters, "en_US", u"1.2.3", refused, u"",
            u"Not taken: “1.2.3” is not a number");
        row("sign after digits", Input::feet, "en_US", u"12-", refused, u"",
            u"Not taken: “12-” is not a number");
        row("infinite metres", Input::meters, "en_US", u"inf", refused, u"",
            u"Not taken: “i” is not part of a number");
        row("German metres", Input::meters, "de_DE", u"1.234,5", ok, u"1234.5");
        row("metres past the limit", Input::meters, "en_US", u"1e400", ok, u"300000000",
            u"Meters limited to 300,000,000");
        row("metres below a double", Input::meters, "en_US", u"1e-400", ok, u"0");
        row("half an exponent", Input::meters, "en_US", u"1e", partial, u"");
        row("lone sign", Input::feet, "en_US", u"-", partial, u"");
        row("empty", Input::frames, "en_US", u"", partial, u"");
        row("23.976 fps", Input::frameRate, "en_US", u"23.976", ok, u"23.976");
        row("German 29,97 fps", Input::frameRate, "de_DE", u"29,97", ok, u"29.97");
        row("fps 500", Input::frameRate, "en_US", u"500", ok, u"120", u"Frame rate limited to 120");
        row("fps 0", Input::frameRate, "en_US", u"0", ok, u"1", u"Frame rate raised to 1");
        row("fps letters", Input::frameRate, "en_US", u"24p", refused, u"",
            u"Not taken: “p” is not part of a number");
    }

    void typedText()
    {
        QFETCH(Input, input);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(Check, check);
        const InputReading reading = readInputText(input, text, QLocale(locale));
        QCOMPARE(reading.check, check);
        QTEST(reading.note, "note");
        State state = kFilled;
        QCOMPARE(setInputText(state, input, text, QLocale(locale)).check, check);
        if (check == Check::acceptable) {
            QTEST(inputText(state, input, QLocale::c()), "stored");
            // Put the old value back: nothing else may have changed.
            setInputText(state, input, inputText(kFilled, input, QLocale::c()), QLocale::c());
        }
        QCOMPARE(state, kFilled);
    }

    void savedInputsRoundTrip()
    {
        const QString text = savedInputsText(kFilled);
        QVERIFY2(!text.contains(u' ') && !text.contains(u'\n'), qPrintable(text));
        QCOMPARE(restoredInputs(text), kFilled);
        for (Format format : kFilmFormats)
            QCOMPARE(restoredInputs(savedInputsText(State{.format = format})).format, format);
        for (Mode mode : kInputModes)
            QCOMPARE(restoredInputs(savedInputsText(State{.mode = mode})).mode, mode);
    }

    void damagedSavedInputs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<State>("restored");
        QTest::newRow("empty") << QString() << State{};
        QTest::newRow("cut short") << u"{\"feet\":\"12\""_s << State{};
        QTest::newRow("an array") << u"[\"12\"]"_s << State{};
        QTest::newRow("unknown names")
            << u"{\"format\":\"70mm\",\"mode\":\"reels\",\"feet\":\"12\"}"_s
            << State{.inputFeet = 12};
        QTest::newRow("wrong types")
            << u"{\"format\":3,\"fps\":25,\"feet\":12,\"frames\":null}"_s << State{};
        QTest::newRow("field by field")
            << uR"({"format":"super8","fps":"500","feet":"-5","frames":"7","meters":"1e400",)"
               uR"("hours":"2.5","totalFrames":"12a","minutes":"75","seconds":"1e2",)"
               uR"("mode":"meters"})"_s
            << State{.format = Format::super8,
                     .mode = Mode::meters,
                     .inputFrames = 7,
                     .inputTC = {0, 75, 0, 0}};
        QTest::newRow("fractional rate") << u"{\"fps\":\"29.97\"}"_s << State{.fps = 29.97};
    }

    void damagedSavedInputs()
    {
        QFETCH(QString, text);
        QTEST(restoredInputs(text), "restored");
    }
};

QTEST_GUILESS_MAIN(TestFeetFrames)
#include "tst_FeetFrames.moc"
