#include "footage/FeetFramesCalculatorView.h"

#include "common/Settings.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace hb;
using namespace Qt::StringLiterals;

class TestFeetFramesCalculatorView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init() { open(); }

    void cleanup()
    {
        m_view.reset();
        QLocale::setDefault(QLocale::c());
    }

    void typedMessages_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("typed"); // the field's text before Return
        QTest::addColumn<QString>("shown"); // and after
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("lasting"); // whether the note outlasts the user's next step
        const auto row = [](const char *name, const char16_t *mode, const char16_t *field,
                            const char16_t *keys, const char16_t *typed, const char16_t *shown,
                            const char16_t *text, bool lasting = false) {
            QTest::newRow(name) << QString::fromUtf16(mode) << QString::fromUtf16(field)
                                << QString::fromUtf16(keys) << QString::fromUtf16(typed)
                                << QString::fromUtf16(shown) << QString::fromUtf16(text) << lasting;
        };
        const char16_t *feetFrames = u"Feet+Frames";
        row("letter refused", feetFrames, u"feetField", u"1a2", u"12", u"12",
            u"Not taken: “a” is not part of a number");
        row("negative feet", feetFrames, u"feetField", u"-3", u"-3", u"0",
            u"No negative feet: taken as 0");
        row("no number", feetFrames, u"feetField", u"-", u"-", u"0", u"Not a number: kept 0");
        row("fractional rate", feetFrames, u"fpsField", u"23.976", u"23.976", u"23.976",
            u"Timecode counts 24 frames a second (non-drop-frame)", true);
        row("metres past the limit", u"Meters", u"metersField", u"1e400", u"1e400", u"300000000",
            u"Meters limited to 300000000");
        row("minutes past 59", u"Timecode", u"minutesField", u"75", u"75", u"59",
            u"Minutes limited to 59");
    }

    // Each text shows as typed with its note, and as the field takes it after Return, the note
    // still there.
    void typedMessages()
    {
        QFETCH(QString, mode);
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, note);
        find<QComboBox>(u"inputPicker"_s)->setCurrentText(mode);
        type(field, keys);
        QTEST(find(field)->text(), "typed");
        if (find(field)->hasAcceptableInput())
            QCOMPARE(this->note(field), note);
        QTest::keyClick(find(field), Qt::Key_Return);
        QTEST(find(field)->text(), "shown");
        QCOMPARE(this->note(field), note);
        QCOMPARE(find(field)->accessibleDescription(), note);
        // The next step of the user's, elsewhere, takes the note away.
        find<QComboBox>(u"formatPicker"_s)->setCurrentIndex(0);
        QFETCH(bool, lasting);
        QCOMPARE(this->note(field), lasting ? note : QString());
    }

    void framesCarriedOnSubmit()
    {
        const QString carried = u"Frames over one foot carried into feet: 90+20 → 91+4"_s;
        type(u"feetField"_s, u"90"_s);
        type(u"framesField"_s, u"20"_s);
        QCOMPARE(outputs(), u"1460 | 91+4 | 00:01:00:20 | 27.81"_s);
        QCOMPARE(note(u"framesField"_s), carried); // before Return: what Return will do
        QTest::keyClick(find(u"framesField"_s), Qt::Key_Return);
        QCOMPARE(find(u"feetField"_s)->text(), u"91"_s);
        QCOMPARE(find(u"framesField"_s)->text(), u"4"_s);
        QCOMPARE(note(u"framesField"_s), carried);

        // A smaller foot carries what fit into the larger one.
        find<QComboBox>(u"formatPicker"_s)->setCurrentText(u"65mm (5-perf)"_s);
        type(u"framesField"_s, u"12"_s, true);
        QCOMPARE(note(u"framesField"_s), QString());
        find<QComboBox>(u"formatPicker"_s)->setCurrentText(u"35mm (4-perf)"_s);
        type(u"framesField"_s, u"15"_s, true);
        find<QComboBox>(u"formatPicker"_s)->setCurrentText(u"65mm (5-perf)"_s);
        QCOMPARE(note(u"framesField"_s), u"Frames over one foot carried into feet: 91+15 → 92+2"_s);
    }

    void fpsPicker()
    {
        auto *fps = find<QComboBox>(u"fpsPicker"_s);
        const int rate = fps->findText(u"29.97"_s);
        QVERIFY(rate >= 0);
        fps->setCurrentIndex(rate);
        Q_EMIT fps->activated(rate);
        QCOMPARE(m_view->state().fps, 29.97);
        QCOMPARE(find(u"fpsField"_s)->text(), u"29.97"_s);
        // Typing a rate the list holds is no different.
        type(u"fpsField"_s, u"25"_s, true);
        QCOMPARE(m_view->state().fps, 25.0);
        QCOMPARE(fps->currentText(), u"25"_s);
    }

    void copyButtons()
    {
        type(u"feetField"_s, u"10"_s);
        type(u"framesField"_s, u"8"_s);
        const QStringList values = outputs().split(u" | "_s);
        const QStringList buttons{u"copyTotalFramesButton"_s, u"copyFeetFramesButton"_s,
                                  u"copyTimecodeButton"_s, u"copyMetersButton"_s};
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            auto *button = find<QToolButton>(buttons[i]);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(QGuiApplication::clipboard()->text(), values[i]);
            QCOMPARE(button->text(), u"Copied"_s);
        }
        QCOMPARE(find<QToolButton>(buttons[0])->text(), u"Copy"_s);
        QTRY_COMPARE(find<QToolButton>(buttons[3])->text(), u"Copy"_s);
    }

    void restoreAfterRestart()
    {
        QTemporaryDir dir;
        auto settings = std::make_unique<Settings>(dir.filePath(u"settings.ini"_s));
        open(settings.get());
        auto *mode = find<QComboBox>(u"inputPicker"_s);
        find<QComboBox>(u"formatPicker"_s)->setCurrentText(u"35mm (2-perf)"_s);
        type(u"fpsField"_s, u"23.976"_s, true);
        mode->setCurrentText(u"Meters"_s);
        type(u"metersField"_s, u"2.5"_s, true);
        mode->setCurrentText(u"Timecode"_s);
        type(u"hoursField"_s, u"1"_s, true);
        mode->setCurrentText(u"Feet+Frames"_s);
        type(u"feetField"_s, u"12"_s);
        type(u"framesField"_s, u"40"_s); // not submitted
        mode->setCurrentText(u"Timecode"_s);
        const FeetFramesState before = m_view->state();
        QCOMPARE(before.inputFrames, 40);

        m_view.reset();
        settings = std::make_unique<Settings>(dir.filePath(u"settings.ini"_s));
        open(settings.get());
        QCOMPARE(m_view->state(), before);
        QCOMPARE(find<QComboBox>(u"formatPicker"_s)->currentText(), u"35mm (2-perf)"_s);
        QCOMPARE(find(u"metersField"_s)->text(), u"2.5"_s);
    }

    // Damage is left out field by field; what submitting a stored length would change is told.
    void damagedSettings()
    {
        QTemporaryDir dir;
        Settings settings(dir.filePath(u"settings.ini"_s));
        settings.setText(SettingsKey::footageInputs,
                         uR"({"format":"16mm","fps":"-4","feet":"x","frames":"45","mode":9})"_s);
        open(&settings);
        QCOMPARE(m_view->state(), (FeetFramesState{.format = FilmFormat::mm16, .inputFrames = 45}));
        QCOMPARE(note(u"framesField"_s), u"Frames over one foot carried into feet: 0+45 → 1+5"_s);
        QCOMPARE(find(u"fpsField"_s)->text(), u"24"_s);
        QCOMPARE(outputs(), u"45 | 1+5 | 00:00:01:21 | 0.34"_s);
    }

    // A field that loses the focus as the window goes must not reach the screen being destroyed.
    void closeWhileEditing()
    {
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        find(u"feetField"_s)->setFocus();
        type(u"feetField"_s, u"-"_s);
        m_view.reset();
    }

private:
    template <typename T = QLineEdit> T *find(const QString &name) const
    {
        return m_view->findChild<T *>(name);
    }
    QString outputs() const
    {
        return QStringList({find<QLabel>(u"totalFramesValue"_s)->text(),
                            find<QLabel>(u"feetFramesValue"_s)->text(),
                            find<QLabel>(u"timecodeValue"_s)->text(),
                            find<QLabel>(u"metersValue"_s)->text()})
            .join(u" | ");
    }
    QString note(const QString &field) const
    {
        const QLabel *label = find<QLabel>(field + u"Note"_s);
        return label->isVisibleTo(m_view.get()) ? label->text() : QString();
    }
    // Replaces the field's text by typing, as the user does, and presses Return if asked.
    void type(const QString &field, const QString &text, bool submit = false) const
    {
        find(field)->selectAll();
        QTest::keyClicks(find(field), text);
        if (submit)
            QTest::keyClick(find(field), Qt::Key_Return);
    }
    void open(Settings *settings = nullptr)
    {
        m_view = std::make_unique<FeetFramesCalculatorView>(settings);
        m_view->resize(1000, 800);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    std::unique_ptr<FeetFramesCalculatorView> m_view;
};

QTEST_MAIN(TestFeetFramesCalculatorView)
#include "tst_FeetFramesCalculatorView.moc"
