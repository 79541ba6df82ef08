#include "common/AppLifecycle.h"
#include "dadavezaruz/EditButtonSheet.h"
#include "dadavezaruz/PresetPickerSheet.h"
#include "dadavezaruz/ShortcutPreset.h"
#include "platform/store/ModelStore.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestEditButtonSheet : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<ShortcutPad> m_pad;
    qint64 m_page = 0;
    qint64 m_button = 0;

    ShortcutButton stored() const
    {
        const QList<ShortcutButton> buttons = m_pad->buttons(m_page).value();
        return buttons.isEmpty() ? ShortcutButton{} : buttons.first();
    }

    // Sets red while another write is open, so that the store refuses it.
    bool setColourRefused(EditButtonSheet &sheet)
    {
        return !m_store->write([&](QSqlDatabase &) -> Expected<Done> {
            sheet.setColor(Qt::red);
            return Error{u"test"_s, 1, u"rolled back"_s};
        });
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        auto store = ModelStore::open(m_dir->path());
        QVERIFY(store);
        m_store = std::move(*store);
        m_pad = std::make_unique<ShortcutPad>(*m_store);
        m_page = m_pad->addPage(u"Custom"_s)->id;
        m_button = m_pad->addButton(m_page, 1, 2)->id;
    }

    void cleanup()
    {
        m_pad.reset();
        m_store.reset();
        m_dir.reset();
    }

    void typingIsStored_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("closeAtOnce");

        QTest::newRow("keys, closed at once") << u"keyComboField"_s << true;
        QTest::newRow("label, after a pause") << u"labelField"_s << false;
    }

    void typingIsStored()
    {
        QFETCH(QString, field);
        QFETCH(bool, closeAtOnce);
        EditButtonSheet sheet(*m_pad, m_button);
        sheet.show();
        QSignalSpy changed(&sheet, &EditButtonSheet::buttonChanged);
        auto *edit = sheet.findChild<QLineEdit *>(field);
        edit->selectAll();
        QTest::keyClicks(edit, u"cmd+k"_s);

        const auto value = [&] {
            return field == u"labelField"_s ? stored().label : stored().keyCombo;
        };
        if (closeAtOnce) {
            sheet.findChild<QPushButton *>(u"doneButton"_s)->click();
            QCOMPARE(value(), u"cmd+k"_s);
        } else {
            QTRY_COMPARE(value(), u"cmd+k"_s);
            QVERIFY(sheet.isVisible());
        }
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toLongLong(), m_button);
        QCOMPARE((std::pair{stored().row, stored().col}), std::pair(1, 2)); // the rest is kept
    }

    void colourAndTarget()
    {
        ShortcutButton button = stored();
        button.appTarget = u"premiere"_s;
        QVERIFY(m_pad->updateButton(button));

        EditButtonSheet sheet(*m_pad, m_button);
        auto *target = sheet.findChild<QComboBox *>(u"targetPicker"_s);
        QCOMPARE(target->currentText(), u"premiere"_s);

        // Other changes leave a target the sheet does not offer alone.
        sheet.setColor(QColor(0x10, 0x20, 0x30));
        QCOMPARE(stored().colorHex, u"#102030"_s);
        QCOMPARE(stored().appTarget, u"premiere"_s);

        target->setCurrentIndex(target->findData(u"obs"_s));
        Q_EMIT target->activated(target->currentIndex());
        QCOMPARE(stored().appTarget, u"obs"_s);
        QCOMPARE(target->currentText(), u"OBS Studio"_s);
        QCOMPARE(target->findText(u"premiere"_s), -1);
    }

    void imageFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format"); // empty: not an image
        QTest::addColumn<bool>("accepted");

        QTest::newRow("PNG") << u"a.png"_s << QByteArray("PNG") << true;
        QTest::newRow("BMP") << u"a.bmp"_s << QByteArray("BMP") << false;
        QTest::newRow("text named .png") << u"b.png"_s << QByteArray() << false;
        QTest::newRow("over 10 MB") << u"big.png"_s << QByteArray("big") << false;
    }

    void imageFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(bool, accepted);

        QByteArray bytes = "just some text\n";
        if (format == "big") {
            bytes = QByteArray(int(EditButtonSheet::kMaxImageBytes) + 1, '\0');
        } else if (!format.isEmpty()) {
            QImage image(16, 16, QImage::Format_RGB32);
            image.fill(Qt::magenta);
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(image.save(&buffer, format.constData()));
        }
        const QString path = m_dir->filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        EditButtonSheet sheet(*m_pad, m_button);
        auto *choose = sheet.findChild<QPushButton *>(u"chooseImageButton"_s);
        QCOMPARE(sheet.useImageFile(path), accepted);
        QCOMPARE(sheet.errorText().isEmpty(), accepted);
        QCOMPARE(stored().customImageData.has_value(), accepted);
        if (accepted) {
            QCOMPARE(*stored().customImageData, bytes);
            QCOMPARE(choose->text(), u"Replace Image"_s);
            sheet.removeCustomImage();
            QVERIFY(!stored().customImageData);
            QCOMPARE(choose->text(), u"Choose Image…"_s);
        }
    }

    void failuresStayOnTheSheet()
    {
        EditButtonSheet missing(*m_pad, 9999);
        QVERIFY(!missing.errorText().isEmpty());

        EditButtonSheet sheet(*m_pad, m_button);
        QSignalSpy changed(&sheet, &EditButtonSheet::buttonChanged);
        QVERIFY(setColourRefused(sheet));
        QVERIFY(!sheet.errorText().isEmpty());
        QCOMPARE(changed.count(), 0);
        sheet.setColor(Qt::blue);
        QVERIFY(sheet.errorText().isEmpty());
        QCOMPARE(stored().colorHex, u"#0000FF"_s);
    }

    void leavingAsksOnlyAfterChanges_data()
    {
        QTest::addColumn<QString>("change"); // none, label, label and back, colour, refused colour
        QTest::addColumn<QString>("leave");  // done, cancel, escape, close, quit
        QTest::addColumn<int>("answer");     // to the question; NoButton: no question expected
        QTest::addColumn<bool>("open");      // the sheet afterwards
        QTest::addColumn<bool>("kept");      // the change is in the store afterwards

        const int none = QMessageBox::NoButton;
        QTest::newRow("nothing changed, Cancel")
            << u"none"_s << u"cancel"_s << none << false << false;
        QTest::newRow("nothing changed, Escape")
            << u"none"_s << u"escape"_s << none << false << false;
        QTest::newRow("typed and typed back, closed")
            << u"label and back"_s << u"close"_s << none << false << false;
        QTest::newRow("typed, Done") << u"label"_s << u"done"_s << none << false << true;
        QTest::newRow("typed, Cancel, Save")
            << u"label"_s << u"cancel"_s << int(QMessageBox::Save) << false << true;
        QTest::newRow("typed, Escape, Discard")
            << u"label"_s << u"escape"_s << int(QMessageBox::Discard) << false << false;
        QTest::newRow("typed, closed, Cancel")
            << u"label"_s << u"close"_s << int(QMessageBox::Cancel) << true << true;
        QTest::newRow("colour, closed, Discard")
            << u"colour"_s << u"close"_s << int(QMessageBox::Discard) << false << false;
        QTest::newRow("colour the store refused, Done, Save")
            << u"refused colour"_s << u"done"_s << int(QMessageBox::Save) << false << true;
        QTest::newRow("typed, the application ends")
            << u"label"_s << u"quit"_s << none << false << true;
        QTest::newRow("two states, Escape, Discard")
            << u"two states"_s << u"escape"_s << int(QMessageBox::Discard) << false << false;
        QTest::newRow("sequence and back to single, closed")
            << u"sequence and back"_s << u"close"_s << none << false << false;
    }

    void leavingAsksOnlyAfterChanges()
    {
        QFETCH(QString, change);
        QFETCH(QString, leave);
        QFETCH(int, answer);
        const ShortcutButton before = stored();
        ShortcutButton changed = before;
        EditButtonSheet sheet(*m_pad, m_button);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));

        auto *label = sheet.findChild<QLineEdit *>(u"labelField"_s);
        if (change.startsWith(u"label"_s)) {
            label->selectAll();
            QTest::keyClicks(label, u"Render"_s);
            changed.label = u"Render"_s;
            if (change == u"label and back"_s) {
                label->selectAll();
                QTest::keyClicks(label, before.label);
                changed = before;
            }
        } else if (change == u"two states"_s) {
            sheet.setKind(ButtonKind::TwoStates);
            changed.isToggle = true;
        } else if (change == u"sequence and back"_s) {
            sheet.setKind(ButtonKind::Sequence);
            sheet.findChild<QPushButton *>(u"addStepButton"_s)->click();
            QTest::keyClicks(sheet.findChild<QLineEdit *>(u"stepField"_s), u"up"_s);
            sheet.findChild<QPushButton *>(u"kindSingle"_s)->click();
        } else if (change == u"colour"_s) {
            sheet.setColor(Qt::red);
            changed.colorHex = u"#FF0000"_s;
        } else if (change == u"refused colour"_s) {
            QVERIFY(setColourRefused(sheet));
            QCOMPARE(stored(), before);
            changed.colorHex = u"#FF0000"_s;
        }
        QCOMPARE(sheet.hasChanges(), changed != before);

        if (leave == u"done"_s)
            sheet.findChild<QPushButton *>(u"doneButton"_s)->click();
        else if (leave == u"cancel"_s)
            sheet.findChild<QPushButton *>(u"cancelButton"_s)->click();
        else if (leave == u"escape"_s)
            QTest::keyClick(&sheet, Qt::Key_Escape);
        else if (leave == u"close"_s)
            sheet.close();
        else {
            AppLifecycle::instance().requestSave();
            QCOMPARE(stored(), changed);
            sheet.close();
        }

        QMessageBox *question = sheet.discardQuestion();
        QCOMPARE(question != nullptr, answer != QMessageBox::NoButton);
        if (question) {
            QVERIFY(sheet.isVisible());
            QCOMPARE(question->text(), EditButtonSheet::discardQuestionText(before.label));
            const auto buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
            QCOMPARE(question->standardButtons(), buttons);
            question->button(QMessageBox::StandardButton(answer))->click();
            QVERIFY(!sheet.discardQuestion());
        }
        QTEST(sheet.isVisible(), "open");
        QFETCH(bool, kept);
        QCOMPARE(stored(), kept ? changed : before);
    }

    // What is stored once a kind is chosen and its fields typed; going back to Single stores a
    // plain button and keeps what was typed on the sheet, for when the kind is chosen again.
    void kindsAreSaved_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("backToSingle");
        QTest::addColumn<QStringList>("steps"); // stored after the first combination
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<QString>("onLabel");

        const int twoStates = int(ButtonKind::TwoStates);
        const int sequence = int(ButtonKind::Sequence);
        const QStringList typedSteps{u"up"_s, u"cmd+v"_s}; // the blank step between is left out
        QTest::newRow("two states")
            << twoStates << false << QStringList() << 100 << true << u"Live"_s;
        QTest::newRow("sequence") << sequence << false << typedSteps << 250 << false << u"On"_s;
        QTest::newRow("two states, then single")
            << twoStates << true << QStringList() << 100 << true << u"Live"_s;
        QTest::newRow("sequence, then single")
            << sequence << true << typedSteps << 250 << false << u"On"_s;
    }

    void kindsAreSaved()
    {
        QFETCH(int, kind);
        QFETCH(bool, backToSingle);
        const ShortcutButton before = stored();
        EditButtonSheet sheet(*m_pad, m_button);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const QString segment =
            kind == int(ButtonKind::TwoStates) ? u"kindTwoStates"_s : u"kindSequence"_s;
        sheet.findChild<QPushButton *>(segment)->click();
        QCOMPARE(int(sheet.kind()), kind);

        if (kind == int(ButtonKind::TwoStates)) {
            auto *label = sheet.findChild<QLineEdit *>(u"onLabelField"_s);
            label->selectAll();
            QTest::keyClicks(label, u"Live"_s);
            QTest::keyClicks(sheet.findChild<QLineEdit *>(u"onKeyComboField"_s), u"cmd+l"_s);
            sheet.setOnColor(QColor(0x10, 0x20, 0x30)); // stores at once, with what was typed
        } else {
            auto *add = sheet.findChild<QPushButton *>(u"addStepButton"_s);
            for (int i = 0; i < 3; ++i)
                add->click();
            const QList<QLineEdit *> fields = sheet.findChildren<QLineEdit *>(u"stepField"_s);
            QCOMPARE(fields.size(), 3);
            QTest::keyClicks(fields[0], u"up"_s);
            QTest::keyClicks(fields[2], u"cmd+v"_s);
            sheet.findChild<QSpinBox *>(u"stepDelay"_s)->setValue(250); // stores at once
        }
        ShortcutButton chosen = stored();
        QTEST(chosen.thenKeyCombos, "steps");
        QTEST(chosen.sequenceDelayMs, "delayMs");
        QTEST(chosen.isToggle, "toggle");
        QTEST(chosen.onLabel, "onLabel");
        QCOMPARE(chosen.onKeyCombo, chosen.isToggle ? u"cmd+l"_s : QString());
        QCOMPARE(chosen.onColorHex, chosen.isToggle ? u"#102030"_s : before.onColorHex);
        QVERIFY(!chosen.toggledOn);
        QVERIFY(sheet.hasChanges());
        if (!backToSingle)
            return;

        sheet.findChild<QPushButton *>(u"kindSingle"_s)->click();
        QCOMPARE(stored(), before);
        QVERIFY(!sheet.hasChanges());
        QVERIFY(!sheet.findChild<QLineEdit *>(u"onLabelField"_s)->isVisible());
        sheet.findChild<QPushButton *>(segment)->click();
        QCOMPARE(stored(), chosen);
    }

    // "Add Step" stops at 8 combinations in all; a removed step's place is taken by the next.
    void sequenceSteps_data()
    {
        QTest::addColumn<int>("removed"); // of the steps after the first, from 0
        QTest::addColumn<QStringList>("steps");

        QTest::newRow("first") << 0
                               << QStringList{u"f3"_s, u"f4"_s, u"f5"_s, u"f6"_s, u"f7"_s, u"f8"_s};
        QTest::newRow("middle") << 3 << QStringList{u"f2"_s, u"f3"_s, u"f4"_s,
                                                    u"f6"_s, u"f7"_s, u"f8"_s};
        QTest::newRow("last") << 6
                              << QStringList{u"f2"_s, u"f3"_s, u"f4"_s, u"f5"_s, u"f6"_s, u"f7"_s};
    }

    void sequenceSteps()
    {
        QFETCH(int, removed);
        EditButtonSheet sheet(*m_pad, m_button);
        sheet.setKind(ButtonKind::Sequence);
        auto *add = sheet.findChild<QPushButton *>(u"addStepButton"_s);
        for (int step = 2; step <= ShortcutButton::kMaxSequence; ++step) {
            QVERIFY(add->isEnabled());
            add->click();
            QTest::keyClicks(sheet.findChildren<QLineEdit *>(u"stepField"_s).constLast(),
                             u"f%1"_s.arg(step));
        }
        QVERIFY(!add->isEnabled());
        add->click();
        QCOMPARE(sheet.findChildren<QLineEdit *>(u"stepField"_s).size(), 7);
        // Tab goes through the steps in turn, then on to "Add Step".
        const auto nextTabStop = [](QWidget *widget) {
            do
                widget = widget->nextInFocusChain();
            while (!(widget->focusPolicy() & Qt::TabFocus));
            return widget;
        };
        const QList<QPushButton *> removes =
            sheet.findChildren<QPushButton *>(u"removeStepButton"_s);
        QCOMPARE(nextTabStop(removes[0])->accessibleName(), u"Step 3"_s);
        QCOMPARE(nextTabStop(removes.constLast()), add);

        sheet.findChildren<QPushButton *>(u"removeStepButton"_s)[removed]->click();
        QVERIFY(add->isEnabled());
        QTEST(stored().thenKeyCombos, "steps");
        // Numbered again from step 2.
        const QList<QLineEdit *> fields = sheet.findChildren<QLineEdit *>(u"stepField"_s);
        QCOMPARE(fields.size(), 6);
        for (qsizetype i = 0; i < fields.size(); ++i)
            QCOMPARE(fields[i]->accessibleName(), u"Step %1"_s.arg(i + 2));
    }

    // A sheet opened on a stored button shows its kind, with the first state's or first step's
    // captions.
    void opensOnTheStoredKind_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("keyCaption");

        QTest::newRow("single") << QStringList() << false << int(ButtonKind::Single)
                                << u"Key Combination"_s;
        QTest::newRow("two states")
            << QStringList() << true << int(ButtonKind::TwoStates) << u"Key Combination When Off"_s;
        QTest::newRow("sequence") << QStringList{u"tab"_s, u"return"_s} << false
                                  << int(ButtonKind::Sequence) << u"Key Combination (Step 1)"_s;
    }

    void opensOnTheStoredKind()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, toggle);
        ShortcutButton button = stored();
        button.thenKeyCombos = steps;
        button.isToggle = toggle;
        button.toggledOn = toggle;
        button.onLabel = u"Stop"_s;
        button.onKeyCombo = u"cmd+."_s;
        QVERIFY(m_pad->updateButton(button) && m_pad->setToggledOn(button.id, button.toggledOn));

        EditButtonSheet sheet(*m_pad, m_button);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QTEST(int(sheet.kind()), "kind");
        QVERIFY(sheet.findChild<QPushButton *>(u"kindTwoStates"_s)->isChecked() == toggle);
        QTEST(sheet.findChild<QLineEdit *>(u"keyComboField"_s)->accessibleName(), "keyCaption");
        auto *onLabel = sheet.findChild<QLineEdit *>(u"onLabelField"_s);
        QCOMPARE(onLabel->isVisible(), toggle);
        QCOMPARE(onLabel->text(), u"Stop"_s);
        QStringList shown;
        for (const QLineEdit *field : sheet.findChildren<QLineEdit *>(u"stepField"_s)) {
            QVERIFY(field->isVisible());
            shown.append(field->text());
        }
        QCOMPARE(shown, steps);
        // Closing without a change leaves the button, and its state, as it was.
        sheet.close();
        QVERIFY(!sheet.discardQuestion());
        QCOMPARE(stored(), button);
    }

    void keysAreCheckedAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("problem");
        QTest::newRow("fine") << u"cmd+shift+c"_s << QString();
        QTest::newRow("unknown parts")
            << u"ctrl+shft+blah"_s << u"Unknown names “shft” and “blah”"_s;
        QTest::newRow("nothing") << QString() << QString();
    }

    void keysAreCheckedAsTyped()
    {
        QFETCH(QString, typed);
        EditButtonSheet sheet(*m_pad, m_button);
        auto *field = sheet.findChild<QLineEdit *>(u"keyComboField"_s);
        field->selectAll();
        QTest::keyClicks(field, typed.isEmpty() ? u"x"_s : typed);
        if (typed.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        QTEST(sheet.keyProblemText(), "problem");
    }

    void keysAreRecorded_data()
    {
        QTest::addColumn<QList<int>>("keys"); // pressed in turn, the last with the modifiers
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("combo"); // in the field, and stored
        QTest::addColumn<QString>("problem");

        const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("modifiers first, then the key")
            << QList<int>{Qt::Key_Control, Qt::Key_Shift, Qt::Key_S} << ctrlShift
            << u"ctrl+shift+s"_s << QString();
        QTest::newRow("a window shortcut is recorded, not run")
            << QList<int>{Qt::Key_W} << int(Qt::ControlModifier) << u"ctrl+w"_s << QString();
        QTest::newRow("escape alone stops recording")
            << QList<int>{Qt::Key_Escape} << 0 << u"cmd+k"_s << QString();
        QTest::newRow("a key a pad cannot send")
            << QList<int>{Qt::Key_Delete} << 0 << u"cmd+k"_s
            << u"That key cannot be sent by a pad. Keys: a-z, 0-9, punctuation, space, return, "
               u"tab, "
               u"backspace, esc, f1-f12, arrows, home, end, page up and down."_s;
    }

    void keysAreRecorded()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, modifiers);
        ShortcutButton button = stored();
        button.keyCombo = u"cmd+k"_s;
        QVERIFY(m_pad->updateButton(button));

        EditButtonSheet sheet(*m_pad, m_button);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        auto *record = sheet.findChild<QPushButton *>(u"recordKeyCombo"_s);
        record->click();
        QVERIFY(record->isChecked());
        for (int key : keys)
            QTest::keyClick(record, Qt::Key(key),
                            Qt::KeyboardModifiers(key == keys.last() ? modifiers : 0));
        QVERIFY(!record->isChecked());
        QVERIFY(sheet.isVisible()); // neither Escape nor Ctrl+W reached the sheet
        QTEST(sheet.findChild<QLineEdit *>(u"keyComboField"_s)->text(), "combo");
        QTEST(stored().keyCombo, "combo");
        QTEST(sheet.keyProblemText(), "problem");
    }
};

QTEST_MAIN(TestEditButtonSheet)
#include "tst_EditButtonSheet.moc"
