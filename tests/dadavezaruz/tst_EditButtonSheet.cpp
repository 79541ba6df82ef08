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
