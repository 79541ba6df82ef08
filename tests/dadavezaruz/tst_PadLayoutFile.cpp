#include "PadDigest.h"

#include "dadavezaruz/ButtonImageFile.h"
#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/PadLayoutFile.h"
#include "dadavezaruz/PadLayoutTransfer.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/store/ModelStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

namespace {

// Image bytes the reader takes: the signature, then every byte value.
QByteArray imageBytes(const QByteArray &signature, qsizetype size)
{
    QByteArray bytes = signature;
    for (qsizetype i = 0; bytes.size() < size; ++i)
        bytes.append(char(i * 7 % 256));
    return bytes;
}

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);
const QByteArray kJpegSignature("\xff\xd8\xff\xe0", 4);

QJsonObject buttonJson(int row, int col, const QString &keys = u"cmd+b"_s)
{
    return {{u"label"_s, u"Cut"_s}, {u"icon"_s, u"scissors"_s},  {u"color"_s, u"#FF3B30"_s},
            {u"keys"_s, keys},      {u"target"_s, u"resolve"_s}, {u"row"_s, row},
            {u"col"_s, col}};
}

// A valid file of two pages ("Resolve" with 2 buttons, "OBS" with 5), changed by `edit`.
QByteArray layout(const std::function<void(QJsonObject &)> &edit = {})
{
    QJsonArray resolve{buttonJson(0, 0), buttonJson(0, 1)};
    QJsonArray obs;
    for (int i = 0; i < 5; ++i)
        obs.append(buttonJson(i / 4, i % 4, u"ctrl+shift+%1"_s.arg(i)));
    QJsonObject root{
        {u"version"_s, 1},
        {u"pages"_s, QJsonArray{QJsonObject{{u"name"_s, u"Resolve"_s}, {u"buttons"_s, resolve}},
                                QJsonObject{{u"name"_s, u"OBS"_s}, {u"buttons"_s, obs}}}},
    };
    if (edit)
        edit(root);
    return QJsonDocument(root).toJson();
}

// Changes one value in the tree: `path` names object keys and array indexes from the root.
void setAt(QJsonObject &root, const QStringList &path, const QJsonValue &value)
{
    const std::function<QJsonValue(const QJsonValue &, qsizetype)> set = [&](const QJsonValue &node,
                                                                             qsizetype depth) {
        if (depth == path.size())
            return value;
        bool isIndex = false;
        const int index = path[depth].toInt(&isIndex);
        if (isIndex) {
            QJsonArray array = node.toArray();
            array[index] = set(array[index], depth + 1);
            return QJsonValue(array);
        }
        QJsonObject object = node.toObject();
        object[path[depth]] = set(object[path[depth]], depth + 1);
        return QJsonValue(object);
    };
    root = set(root, 0).toObject();
}

std::function<void(QJsonObject &)> setting(const QStringList &path, const QJsonValue &value)
{
    return [=](QJsonObject &root) { setAt(root, path, value); };
}

QJsonObject image(const QString &type, const QByteArray &bytes)
{
    return {{u"type"_s, type}, {u"data"_s, QString::fromLatin1(bytes.toBase64())}};
}

// The description of an error, for a failure message; QVERIFY2 reads it even on success.
template <typename T> const char *why(const Expected<T> &result)
{
    static QByteArray text;
    text = result ? QByteArray() : result.error().description.toUtf8();
    return text.constData();
}

QList<PadLayoutPage> pagesNamed(const QStringList &names)
{
    QList<PadLayoutPage> pages;
    for (const QString &name : names) {
        ShortcutButton button;
        button.label = name + u" button"_s;
        pages.append({name, {button}});
    }
    return pages;
}

} // namespace

class TestPadLayoutFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_stores = 0;

    std::unique_ptr<ModelStore> newStore()
    {
        auto store = ModelStore::open(m_dir.filePath(u"store%1"_s.arg(++m_stores)));
        if (!store)
            qFatal("%s", qPrintable(store.error().description));
        return std::move(store).value();
    }

    static QStringList pageNames(const ShortcutPad &pad)
    {
        QStringList names;
        for (const ShortcutPage &page : pad.pages().value())
            names.append(page.name);
        return names;
    }

private Q_SLOTS:
    // Export, file bytes, read and import into an empty store give the same pages, field for
    // field, images byte for byte, buttons in the same order.
    void roundTripsThroughAFile()
    {
        const auto source = newStore();
        ShortcutPad pad(*source);
        QVERIFY(pad.seedDefaultPages());
        const ShortcutPage grading = pad.addPage(u"Grading \u00E9\u00E8 \U0001F3A8"_s).value();
        // Added out of reading order, with both kinds of image and an empty key combination.
        for (const auto &[row, col] : {std::pair{3, 3}, {0, 0}, {1, 2}}) {
            ShortcutButton button = pad.addButton(grading.id, row, col).value();
            button.label = u"Cell \"%1\",%2\n"_s.arg(row).arg(col);
            button.sfSymbol = u"circle.lefthalf.filled"_s;
            button.colorHex = u"#0a0B0c"_s;
            button.keyCombo = row == 0 ? QString() : u"alt+F%1"_s.arg(row + 1);
            button.appTarget = u"obs"_s;
            QVERIFY(pad.updateButton(button));
        }
        const QList<ShortcutButton> gradingButtons = pad.buttons(grading.id).value();
        QVERIFY(pad.setCustomImage(gradingButtons[0].id, imageBytes(kPngSignature, 70'000)));
        QVERIFY(pad.setCustomImage(gradingButtons[2].id, imageBytes(kJpegSignature, 3)));

        const auto exported = PadLayoutTransfer::exportPages(pad, std::nullopt);
        QVERIFY2(exported, why(exported));
        const QByteArray bytes = PadLayoutFile::write(*exported);
        const auto read = PadLayoutFile::read(bytes);
        QVERIFY2(read, why(read));
        QCOMPARE(*read, *exported);

        const auto target = newStore();
        const auto names = PadLayoutTransfer::importPages(*target, *read);
        QVERIFY2(names, why(names));
        QCOMPARE(*names, pageNames(pad));
        const ShortcutPad copy(*target);
        const QList<ShortcutPage> sourcePages = pad.pages().value();
        const QList<ShortcutPage> copyPages = copy.pages().value();
        QCOMPARE(copyPages.size(), 4);
        for (qsizetype i = 0; i < copyPages.size(); ++i) {
            QCOMPARE(copyPages[i].name, sourcePages[i].name);
            QList<ShortcutButton> expected = pad.buttons(sourcePages[i].id).value();
            const QList<ShortcutButton> actual = copy.buttons(copyPages[i].id).value();
            QCOMPARE(actual.size(), expected.size());
            for (qsizetype b = 0; b < actual.size(); ++b) {
                expected[b].id = actual[b].id;
                expected[b].page = actual[b].page;
                QCOMPARE(actual[b], expected[b]);
            }
        }
        QCOMPARE(copy.buttons(copyPages[3].id)->at(0).customImageData,
                 imageBytes(kPngSignature, 70'000));
        // Exporting the copy writes the very same file.
        QCOMPARE(PadLayoutFile::write(PadLayoutTransfer::exportPages(copy, std::nullopt).value()),
                 bytes);
    }

    // Sequences and two-state buttons go through a file and an import unchanged, and only a
    // file that holds one says format 2.
    void roundTripsKinds_data()
    {
        QTest::addColumn<QList<ShortcutButton>>("buttons"); // ids, pages and cells are set here
        QTest::addColumn<int>("version");

        ShortcutButton plain;
        plain.keyCombo = u"cmd+b"_s;
        ShortcutButton sequence = plain;
        sequence.label = u"Intro"_s;
        sequence.thenKeyCombos = {u"ctrl+shift+f1"_s, u"space"_s, u"up"_s,   u"down"_s,
                                  u"left"_s,          u"right"_s, u"cmd+z"_s};
        sequence.sequenceDelayMs = 0;
        ShortcutButton on = plain;
        on.isToggle = true;
        on.toggledOn = true;
        on.onLabel = u"End \"Live\""_s;
        on.onColorHex = u"#00ff7f"_s;
        on.onKeyCombo = u"ctrl+alt+l"_s;
        ShortcutButton off = on;
        off.toggledOn = false;
        off.onKeyCombo.clear(); // the second state sends nothing
        ShortcutButton slow = sequence;
        slow.thenKeyCombos = {u"return"_s};
        slow.sequenceDelayMs = ShortcutButton::kMaxSequenceDelayMs;

        QTest::newRow("plain buttons") << QList{plain, plain} << 1;
        QTest::newRow("a sequence of 8 without a pause") << QList{plain, sequence} << 2;
        QTest::newRow("two states, on") << QList{on} << 2;
        QTest::newRow("every kind") << QList{plain, sequence, on, off, slow} << 2;
    }

    void roundTripsKinds()
    {
        QFETCH(QList<ShortcutButton>, buttons);
        const auto source = newStore();
        ShortcutPad pad(*source);
        const qint64 page = pad.addPage(u"Stream"_s)->id;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            ShortcutButton button = pad.addButton(page, int(i / 4), int(i % 4)).value();
            buttons[i].id = button.id;
            buttons[i].page = page;
            buttons[i].row = button.row;
            buttons[i].col = button.col;
            QVERIFY(pad.updateButton(buttons[i]) &&
                    pad.setToggledOn(button.id, buttons[i].toggledOn));
            QCOMPARE(pad.button(button.id)->value(), buttons[i]);
        }

        const QByteArray bytes =
            PadLayoutFile::write(PadLayoutTransfer::exportPages(pad, std::nullopt).value());
        QTEST(QJsonDocument::fromJson(bytes)[u"version"_s].toInt(), "version");
        const auto read = PadLayoutFile::read(bytes);
        QVERIFY2(read, why(read));
        const auto target = newStore();
        QVERIFY(PadLayoutTransfer::importPages(*target, *read));
        const ShortcutPad copy(*target);
        const QList<ShortcutButton> imported = copy.buttons(copy.pages()->at(0).id).value();
        QCOMPARE(imported.size(), buttons.size());
        for (qsizetype i = 0; i < imported.size(); ++i) {
            ShortcutButton expected = buttons[i];
            expected.id = imported[i].id;
            expected.page = imported[i].page;
            QCOMPARE(imported[i], expected);
        }
        QCOMPARE(PadLayoutFile::write(PadLayoutTransfer::exportPages(copy, std::nullopt).value()),
                 bytes);
    }

    void readsWhatLaterVersionsMayAdd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("keys");  // of page 2, button 1
        QTest::addColumn<QString>("color"); // of page 2, button 1
        QTest::addColumn<QByteArray>("image");

        const auto add = [](const char *name, const QByteArray &bytes, const QString &keys,
                            const QString &color = u"#FF3B30"_s, const QByteArray &image = {}) {
            QTest::newRow(name) << bytes << keys << color << image;
        };
        add("unchanged", layout(), u"ctrl+shift+0"_s);
        add("unknown keys at every level", layout([](QJsonObject &root) {
                root[u"author"_s] = u"me"_s;
                setAt(root, {u"pages"_s, u"1"_s, u"tint"_s}, 3);
                setAt(root, {u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"haptics"_s}, true);
            }),
            u"ctrl+shift+0"_s);
        add("version written as 1.0", layout([](QJsonObject &root) { root[u"version"_s] = 1.0; }),
            u"ctrl+shift+0"_s);
        add("a button that sends nothing",
            layout(setting({u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"keys"_s}, u""_s)),
            QString());
        // Base64 without its padding is still whole.
        add("image without Base64 padding", layout([](QJsonObject &root) {
                setAt(root, {u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"image"_s},
                      QJsonObject{{u"type"_s, u"image/png"_s}, {u"data"_s, u"iVBORw0KGgo"_s}});
            }),
            u"ctrl+shift+0"_s, u"#FF3B30"_s, kPngSignature);
        add("lower-case colour",
            layout(setting({u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"color"_s}, u"#a1b2c3"_s)),
            u"ctrl+shift+0"_s, u"#a1b2c3"_s);
        // The bytes tell the kind; the type given is not trusted.
        const QByteArray jpeg = imageBytes(kJpegSignature, 1000);
        add("JPEG bytes typed as PNG", layout([&](QJsonObject &root) {
                setAt(root, {u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"image"_s},
                      QJsonObject{{u"type"_s, u"image/png"_s},
                                  {u"data"_s, QString::fromLatin1(jpeg.toBase64())},
                                  {u"width"_s, 64}});
            }),
            u"ctrl+shift+0"_s, u"#FF3B30"_s, jpeg);
        const QByteArray largest = imageBytes(kPngSignature, ButtonImageFile::kMaxBytes);
        add("image of exactly 10 MB", layout([&](QJsonObject &root) {
                setAt(root, {u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"image"_s},
                      image(u"image/png"_s, largest));
            }),
            u"ctrl+shift+0"_s, u"#FF3B30"_s, largest);
    }

    void readsWhatLaterVersionsMayAdd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, keys);
        QFETCH(QString, color);
        QFETCH(QByteArray, image);
        const auto pages = PadLayoutFile::read(bytes);
        QVERIFY2(pages, why(pages));
        QCOMPARE(pages->size(), 2);
        QCOMPARE(pages->at(1).name, u"OBS"_s);
        QCOMPARE(pages->at(1).buttons.size(), 5);
        const ShortcutButton &button = pages->at(1).buttons[0];
        QCOMPARE(button.keyCombo, keys);
        QCOMPARE(button.colorHex, color);
        QCOMPARE(button.customImageData.value_or(QByteArray()), image);
        QCOMPARE(pages->at(1).buttons[4].row, 1);
        QCOMPARE(pages->at(1).buttons[4].label, u"Cut"_s);
    }

    void refusesWithReasonAndPlace_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message"); // the whole description, or its start before "..."

        using E = PadLayoutFileError;
        const auto add = [](const char *name, const QByteArray &bytes, E code,
                            const QString &message) {
            QTest::newRow(name) << bytes << int(code) << message;
        };
        const auto button = [](int page, int index, const QString &key, const QJsonValue &value) {
            return layout(setting(
                {u"pages"_s, QString::number(page), u"buttons"_s, QString::number(index), key},
                value));
        };
        const auto rootWith = [](const QString &key, const QJsonValue &value) {
            return layout([=](QJsonObject &root) { root[key] = value; });
        };

        add("not JSON", "{\"version\": 1,", E::NotJson, u"This is not a pad layout file: ..."_s);
        add("no version", layout([](QJsonObject &root) { root.remove(u"version"_s); }),
            E::BadVersion, u"This is not a pad layout file: it has no \u201Cversion\u201D."_s);
        const QString badVersion =
            u"This is not a pad layout file: its \u201Cversion\u201D is not a format number."_s;
        add("version as text", rootWith(u"version"_s, u"1"_s), E::BadVersion, badVersion);
        add("version 3", rootWith(u"version"_s, 3), E::NewerVersion,
            u"This file was made by a newer version of Huebench (format 3); this version reads "
            u"format 2."_s);
        add("no pages", rootWith(u"pages"_s, QJsonObject()), E::BadPage,
            u"This is not a pad layout file: it has no list of \u201Cpages\u201D."_s);
        add("101 pages", rootWith(u"pages"_s, QJsonArray::fromVariantList(QVariantList(101, 0))),
            E::TooLarge, u"The file holds 101 pages; at most 100 can be imported."_s);
        add("page not an object", layout(setting({u"pages"_s, u"1"_s}, 7)), E::BadPage,
            u"Page 2 is not a JSON object."_s);
        add("page without a name", layout([](QJsonObject &root) {
                QJsonArray pages = root[u"pages"_s].toArray();
                QJsonObject page = pages[1].toObject();
                page.remove(u"name"_s);
                pages[1] = page;
                root[u"pages"_s] = pages;
            }),
            E::BadPage, u"Page 2 has no name."_s);
        add("page without buttons", layout(setting({u"pages"_s, u"1"_s, u"buttons"_s}, u"x"_s)),
            E::BadPage, u"Page 2 (\u201COBS\u201D) has no list of buttons."_s);
        add("17 buttons",
            layout(setting({u"pages"_s, u"0"_s, u"buttons"_s},
                           QJsonArray::fromVariantList(QVariantList(17, 0)))),
            E::BadPage, u"Page 1 has 17 buttons; its 4 \u00D7 4 grid holds 16."_s);
        add("button not an object", layout(setting({u"pages"_s, u"1"_s, u"buttons"_s, u"3"_s}, 1)),
            E::BadButton, u"Page 2, button 4: not a JSON object."_s);
        add("label missing", button(1, 2, u"label"_s, QJsonValue()), E::BadButton,
            u"Page 2, button 3: \u201Clabel\u201D is missing or not text."_s);
        add("row 4", button(0, 1, u"row"_s, 4), E::BadButton,
            u"Page 1, button 2: row 4 is outside the 4 \u00D7 4 grid (0 to 3)."_s);
        add("row past int", button(1, 4, u"row"_s, 4294967296.0), E::BadButton,
            u"Page 2, button 5: \u201Crow\u201D is missing or not a whole number."_s);
        add("two buttons in one cell", button(1, 2, u"col"_s, 0), E::BadButton,
            u"Page 2, button 3: row 0, col 0 already holds button 1."_s);
        add("colour by name", button(1, 4, u"color"_s, u"red"_s), E::BadButton,
            u"Page 2, button 5: the colour \u201Cred\u201D is not #RRGGBB."_s);
        add("colour with a line feed", button(1, 4, u"color"_s, u"#FF0000\n"_s), E::BadButton,
            u"Page 2, button 5: the colour \u201C#FF0000\n\u201D is not #RRGGBB."_s);
        add("unknown modifier", button(1, 4, u"keys"_s, u"ctrl+shft+s"_s), E::BadButton,
            u"Page 2, button 5: unknown modifier \u201Cshft\u201D in \u201Cctrl+shft+s\u201D"_s);
        add("modifiers only", button(0, 0, u"keys"_s, u"cmd+shift"_s), E::BadButton,
            u"Page 1, button 1: \u201Cshift\u201D is a modifier: add a key after it, e.g. "
            u"cmd+shift+c in \u201Ccmd+shift\u201D"_s);
        add("image of another type", button(0, 0, u"image"_s, image(u"image/gif"_s, "GIF89a")),
            E::BadImage,
            u"Page 1, button 1: the image needs a \u201Ctype\u201D of image/png or image/jpeg."_s);
        const QString notBase64 = u"Page 1, button 1: the image data is not valid Base64."_s;
        for (const auto &[row, data] : {std::pair{"Base64 with a stray character", u"iVBO*w0K"_s},
                                        {"Base64 with a non-Latin letter", u"iVBO\u0141w0K"_s}})
            add(row,
                button(0, 0, u"image"_s,
                       QJsonObject{{u"type"_s, u"image/png"_s}, {u"data"_s, data}}),
                E::BadImage, notBase64);
        add("image that is a GIF", button(0, 0, u"image"_s, image(u"image/png"_s, "GIF89a....")),
            E::BadImage, u"Page 1, button 1: the image is not a PNG or JPEG image."_s);
        const QString tooLarge = u"Page 1, button 1: the image is larger than 10 MB."_s;
        add("image one byte over 10 MB",
            button(
                0, 0, u"image"_s,
                image(u"image/png"_s, imageBytes(kPngSignature, ButtonImageFile::kMaxBytes + 1))),
            E::TooLarge, tooLarge);
        QByteArray huge = layout();
        huge.append(QByteArray(PadLayoutFile::kMaxFileBytes + 1 - huge.size(), ' '));
        add("file over 200 MB", huge, E::TooLarge,
            u"The file is larger than 200 MB; no pad layout is that large."_s);
        // A sequence's steps and a second state are held to what the button's own keys and
        // colour are held to.
        const auto sequence = [&](const QJsonArray &keys, int delayMs = 100) {
            return button(1, 2, u"sequence"_s,
                          QJsonObject{{u"keys"_s, keys}, {u"delayMs"_s, delayMs}});
        };
        const auto toggle = [&](const QString &color, const QString &keys) {
            return button(0, 1, u"toggle"_s,
                          QJsonObject{{u"label"_s, u"Live"_s},
                                      {u"color"_s, color},
                                      {u"keys"_s, keys},
                                      {u"on"_s, true}});
        };
        add("sequence of 9",
            sequence(QJsonArray{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s}),
            E::BadButton,
            u"Page 2, button 3: \u201CCut\u201D types 9 key combinations; a sequence holds at "
            u"most 8."_s);
        add("unknown key in a step", sequence(QJsonArray{u"up"_s, u"cmd+bogus"_s}), E::BadButton,
            u"Page 2, button 3: unknown key \u201Cbogus\u201D in \u201Ccmd+bogus\u201D (step 3)"_s);
        add("empty step", sequence(QJsonArray{u""_s}), E::BadButton,
            u"Page 2, button 3: step 2 is empty."_s);
        add("delay over 2 s", sequence(QJsonArray{u"up"_s}, 2001), E::BadButton,
            u"Page 2, button 3: the delay between steps, 2001 ms, is not from 0 to 2000 ms."_s);
        add("unknown modifier when on", toggle(u"#E5484D"_s, u"shft+x"_s), E::BadButton,
            u"Page 1, button 2: unknown modifier \u201Cshft\u201D in \u201Cshft+x\u201D (when "
            u"on)"_s);
        add("colour when on by name", toggle(u"red"_s, u"x"_s), E::BadButton,
            u"Page 1, button 2: the colour when on \u201Cred\u201D is not #RRGGBB."_s);
        add("sequence and two states", layout([](QJsonObject &root) {
                const QStringList at{u"pages"_s, u"0"_s, u"buttons"_s, u"1"_s};
                setAt(root, at + QStringList{u"sequence"_s},
                      QJsonObject{{u"keys"_s, QJsonArray{u"up"_s}}});
                setAt(root, at + QStringList{u"toggle"_s},
                      QJsonObject{
                          {u"label"_s, u"On"_s}, {u"color"_s, u"#000000"_s}, {u"keys"_s, u""_s}});
            }),
            E::BadButton,
            u"Page 1, button 2: a button is a sequence or has two states, not both."_s);
        // The first fault in file order is the one reported.
        add("two faults", layout([](QJsonObject &root) {
                setAt(root, {u"pages"_s, u"1"_s, u"buttons"_s, u"1"_s, u"color"_s}, u"x"_s);
                setAt(root, {u"pages"_s, u"1"_s, u"buttons"_s, u"0"_s, u"row"_s}, 9);
            }),
            E::BadButton, u"Page 2, button 1: row 9 is outside the 4 \u00D7 4 grid (0 to 3)."_s);
    }

    void refusesWithReasonAndPlace()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QFETCH(QString, message);
        const auto pages = PadLayoutFile::read(bytes);
        QVERIFY(!pages);
        QCOMPARE(pages.error().domain, errorDomain(PadLayoutFileError{}));
        QCOMPARE(pages.error().code, code);
        if (message.endsWith(u"..."_s))
            QVERIFY2(pages.error().description.startsWith(message.chopped(3)),
                     qPrintable(pages.error().description));
        else
            QCOMPARE(pages.error().description, message);
    }

    void renamesOnClashes_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("imported");
        QTest::addColumn<QStringList>("given");

        QTest::newRow("no clash") << QStringList{u"Resolve"_s} << QStringList{u"OBS"_s}
                                  << QStringList{u"OBS"_s};
        QTest::newRow("with a stored page")
            << QStringList{u"Resolve"_s, u"OBS"_s} << QStringList{u"Resolve"_s, u"Custom"_s}
            << QStringList{u"Resolve 2"_s, u"Custom"_s};
        QTest::newRow("numbers taken") << QStringList{u"Resolve"_s, u"Resolve 2"_s, u"Resolve 4"_s}
                                       << QStringList{u"Resolve"_s, u"Resolve"_s}
                                       << QStringList{u"Resolve 3"_s, u"Resolve 5"_s};
        QTest::newRow("among the imported pages")
            << QStringList{} << QStringList{u"OBS"_s, u"OBS"_s, u"OBS"_s}
            << QStringList{u"OBS"_s, u"OBS 2"_s, u"OBS 3"_s};
        QTest::newRow("a numbered name counts on")
            << QStringList{u"Resolve"_s, u"Resolve 2"_s} << QStringList{u"Resolve 2"_s}
            << QStringList{u"Resolve 3"_s};
        QTest::newRow("an imported name takes a number")
            << QStringList{u"Resolve"_s} << QStringList{u"Resolve"_s, u"Resolve 2"_s}
            << QStringList{u"Resolve 2"_s, u"Resolve 3"_s};
        QTest::newRow("case and spaces make other names")
            << QStringList{u"resolve"_s, u"Resolve "_s} << QStringList{u"Resolve"_s}
            << QStringList{u"Resolve"_s};
        QTest::newRow("a bare number")
            << QStringList{u"2"_s} << QStringList{u"2"_s} << QStringList{u"2 2"_s};
    }

    void renamesOnClashes()
    {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, imported);
        QFETCH(QStringList, given);
        const auto store = newStore();
        ShortcutPad pad(*store);
        for (const QString &name : existing)
            QVERIFY(pad.addPage(name));
        const auto names = PadLayoutTransfer::importPages(*store, pagesNamed(imported));
        QVERIFY2(names, why(names));
        QCOMPARE(*names, given);
        // After the stored pages, which are left as they were.
        QCOMPARE(pageNames(pad), existing + given);
        const QList<ShortcutPage> pages = pad.pages().value();
        for (qsizetype i = 0; i < given.size(); ++i) {
            const QList<ShortcutButton> buttons =
                pad.buttons(pages[existing.size() + i].id).value();
            QCOMPARE(buttons.size(), 1);
            QCOMPARE(buttons[0].label, imported[i] + u" button"_s);
        }
    }

    // A refused import, before or in the middle of writing, leaves every row as it was and
    // announces no change.
    void refusedImportChangesNothing_data()
    {
        QTest::addColumn<QList<PadLayoutPage>>("pages");
        QTest::addColumn<QString>("message");

        QList<PadLayoutPage> badColour = pagesNamed({u"A"_s, u"B"_s, u"C"_s});
        badColour[2].buttons[0].colorHex = u"blue"_s;
        QTest::newRow("a bad colour on the last page")
            << badColour << u"Page 3, button 1: the colour \u201Cblue\u201D is not #RRGGBB."_s;
        QList<PadLayoutPage> longSequence = pagesNamed({u"A"_s, u"B"_s});
        longSequence[1].buttons[0].thenKeyCombos = QStringList(8, u"space"_s);
        QTest::newRow("a sequence of 9 on the last page")
            << longSequence
            << u"Page 2, button 1: \u201CB button\u201D types 9 key combinations; a sequence "
               u"holds at most 8."_s;
        QList<PadLayoutPage> badOnColour = pagesNamed({u"A"_s});
        badOnColour[0].buttons[0].isToggle = true;
        badOnColour[0].buttons[0].onColorHex = u"#12345"_s;
        QTest::newRow("a bad colour when on")
            << badOnColour
            << u"Page 1, button 1: the colour when on \u201C#12345\u201D is not #RRGGBB."_s;
        QList<PadLayoutPage> sameCell = pagesNamed({u"A"_s});
        sameCell[0].buttons.append(sameCell[0].buttons[0]);
        QTest::newRow("two buttons in one cell")
            << sameCell << u"Page 1, button 2: row 0, col 0 already holds button 1."_s;
        QTest::newRow("more than 100 pages")
            << QList<PadLayoutPage>(101, pagesNamed({u"A"_s})[0])
            << u"The file holds 101 pages; at most 100 can be imported."_s;
        // The store's trigger refuses the button labelled "boom", after two pages went in.
        QList<PadLayoutPage> failing = pagesNamed({u"Resolve"_s, u"B"_s, u"C"_s});
        failing[2].buttons[0].label = u"boom"_s;
        QTest::newRow("the store fails on the third page") << failing << u"..."_s;
    }

    void refusedImportChangesNothing()
    {
        QFETCH(QList<PadLayoutPage>, pages);
        QFETCH(QString, message);
        const auto store = newStore();
        ShortcutPad pad(*store);
        QVERIFY(pad.seedDefaultPages());
        const QList<ShortcutButton> resolve = pad.buttons(pad.pages()->at(0).id).value();
        QVERIFY(pad.setCustomImage(resolve[1].id, imageBytes(kPngSignature, 500)));
        QSqlQuery trigger(store->database());
        QVERIFY(trigger.exec(u"CREATE TEMP TRIGGER refuseBoom BEFORE INSERT ON "
                             u"main.ShortcutButton WHEN NEW.label = 'boom' "
                             u"BEGIN SELECT RAISE(ABORT, 'boom refused'); END"_s));
        const QByteArray before = padDigest(*store);
        QVERIFY(!before.isEmpty());
        QSignalSpy changed(store.get(), &ModelStore::changed);

        const auto names = PadLayoutTransfer::importPages(*store, pages);
        QVERIFY(!names);
        if (message == u"...")
            QVERIFY2(names.error().description.contains(u"boom refused"_s),
                     qPrintable(names.error().description));
        else
            QCOMPARE(names.error().description, message);
        QCOMPARE(padDigest(*store), before);
        QCOMPARE(changed.count(), 0);
        // The store still takes an import afterwards, with the ids going on.
        const auto later = PadLayoutTransfer::importPages(*store, pagesNamed({u"Resolve"_s}));
        QVERIFY(later);
        QCOMPARE(*later, QStringList{u"Resolve 2"_s});
        QCOMPARE(pageNames(pad),
                 (QStringList{u"Resolve"_s, u"OBS"_s, u"Custom"_s, u"Resolve 2"_s}));
    }

    void exportsPages_data()
    {
        QTest::addColumn<QString>("only"); // the page's name; empty for all, "?" for a lost id
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("buttons"); // on the first page exported

        QTest::newRow("all") << QString() << QStringList{u"Resolve"_s, u"OBS"_s, u"Custom"_s} << 16;
        QTest::newRow("one") << u"OBS"_s << QStringList{u"OBS"_s} << 10;
        QTest::newRow("a page that is gone") << u"?"_s << QStringList{} << -1;
    }

    void exportsPages()
    {
        QFETCH(QString, only);
        QFETCH(QStringList, names);
        QFETCH(int, buttons);
        const auto store = newStore();
        ShortcutPad pad(*store);
        QVERIFY(pad.seedDefaultPages());
        std::optional<qint64> page;
        if (only == u"?")
            page = 999;
        for (const ShortcutPage &each : pad.pages().value()) {
            if (each.name == only)
                page = each.id;
        }
        const auto pages = PadLayoutTransfer::exportPages(pad, page);
        if (buttons < 0) {
            QVERIFY(!pages);
            QVERIFY(pages.error().is(PadLayoutTransferError::NoSuchPage));
            return;
        }
        QVERIFY2(pages, why(pages));
        QStringList exported;
        for (const PadLayoutPage &each : *pages) {
            exported.append(each.name);
            for (const ShortcutButton &button : each.buttons)
                QVERIFY(button.id == 0 && button.page == 0);
        }
        QCOMPARE(exported, names);
        QCOMPARE(pages->at(0).buttons.size(), buttons);
    }

    // What the file could not take back is not exported.
    void exportRefusesWhatCannotBeRead()
    {
        const auto store = newStore();
        ShortcutPad pad(*store);
        QVERIFY(pad.seedDefaultPages());
        const QList<ShortcutButton> obs = pad.buttons(pad.pages()->at(1).id).value();
        QVERIFY(pad.setCustomImage(obs[6].id, QByteArray("GIF89a")));
        const auto pages = PadLayoutTransfer::exportPages(pad, std::nullopt);
        QVERIFY(!pages);
        QCOMPARE(pages.error().description,
                 u"Page 2, button 7: the image is not a PNG or JPEG image."_s);
    }
};

QTEST_GUILESS_MAIN(TestPadLayoutFile)
#include "tst_PadLayoutFile.moc"
