#include "dadavezaruz/PadLayoutFile.h"

#include "common/TextHelpers.h"
#include "dadavezaruz/ButtonImageFile.h"
#include "dadavezaruz/KeyCombo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kPng = u"image/png"_s;
const QString kJpeg = u"image/jpeg"_s;
const QString kSequence = u"sequence"_s;
const QString kToggle = u"toggle"_s;
constexpr qsizetype kCells = qsizetype{ShortcutButton::kRows} * ShortcutButton::kColumns;
// Base64 text longer than this decodes to more than an image may hold.
constexpr qint64 kMaxImageBase64 = (ButtonImageFile::kMaxBytes + 2) / 3 * 4;

Error refusal(PadLayoutFileError code, const QString &description)
{
    return Error::make(code, description);
}

QString buttonPlace(qsizetype page, qsizetype button)
{
    return u"Page %1, button %2: "_s.arg(page + 1).arg(button + 1);
}

// The MIME type of PNG or JPEG bytes, told by their signature; empty for anything else.
QString imageType(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return kPng;
    if (bytes.startsWith("\xff\xd8\xff"))
        return kJpeg;
    return {};
}

bool isColorHex(const QString &text)
{
    constexpr qsizetype kLength = 7;
    if (text.size() != kLength || text[0] != u'#')
        return false;
    return std::all_of(text.cbegin() + 1, text.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

// A whole number from a JSON value; nothing for text, fractions and values out of int's range.
std::optional<int> wholeNumber(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::abs(number) > 1e9)
        return std::nullopt;
    return static_cast<int>(number);
}

// The key combination's fault as the rest of a refusal: "unknown key “x” in “cmd+x”" and what
// `where` adds; nothing when it reads. An empty combination passes only when `mayBeEmpty`.
std::optional<QString> keyFault(const QString &combo, const QString &where, bool mayBeEmpty)
{
    const auto keys = parseKeyCombo(combo);
    if (keys && (*keys || mayBeEmpty))
        return std::nullopt;
    QString reason = keys ? u"no key"_s : keys.error().description;
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason + u" in "_s + inQuotes(combo) + where;
}

// A sequence's steps and delay, or a two-state button's second state.
Expected<Done> checkKind(const ShortcutButton &button, const QString &place)
{
    if (button.isToggle) {
        if (!isColorHex(button.onColorHex))
            return refusal(PadLayoutFileError::BadButton,
                           place + u"the colour when on %1 is not #RRGGBB."_s.arg(
                                       inQuotes(button.onColorHex)));
        if (const auto fault = keyFault(button.onKeyCombo, u" (when on)"_s, true))
            return refusal(PadLayoutFileError::BadButton, place + *fault);
        return Done{};
    }
    if (button.thenKeyCombos.isEmpty())
        return Done{};
    const qsizetype count = button.thenKeyCombos.size() + 1;
    if (count > ShortcutButton::kMaxSequence)
        return refusal(PadLayoutFileError::BadButton,
                       place + u"%1 types %2 key combinations; a sequence holds at most %3."_s
                                   .arg(inQuotes(button.label))
                                   .arg(count)
                                   .arg(ShortcutButton::kMaxSequence));
    for (qsizetype i = 0; i < button.thenKeyCombos.size(); ++i) {
        // Step 1 is the button's own combination.
        if (button.thenKeyCombos[i].trimmed().isEmpty())
            return refusal(PadLayoutFileError::BadButton,
                           place + u"step %1 is empty."_s.arg(i + 2));
        const QString step = u" (step %1)"_s.arg(i + 2);
        if (const auto fault = keyFault(button.thenKeyCombos[i], step, false))
            return refusal(PadLayoutFileError::BadButton, place + *fault);
    }
    if (button.sequenceDelayMs < 0 || button.sequenceDelayMs > ShortcutButton::kMaxSequenceDelayMs)
        return refusal(PadLayoutFileError::BadButton,
                       place + u"the delay between steps, %1 ms, is not from 0 to %2 ms."_s
                                   .arg(button.sequenceDelayMs)
                                   .arg(ShortcutButton::kMaxSequenceDelayMs));
    return Done{};
}

Expected<Done> checkButton(const ShortcutButton &button, const QString &place,
                           std::array<qsizetype, kCells> &cells, qsizetype index)
{
    for (const auto &[name, value] : {std::pair{u"row"_s, button.row}, {u"col"_s, button.col}}) {
        const int size = name == u"row" ? ShortcutButton::kRows : ShortcutButton::kColumns;
        if (value < 0 || value >= size)
            return refusal(
                PadLayoutFileError::BadButton,
                place + u"%1 %2 is outside the 4 \u00D7 4 grid (0 to 3)."_s.arg(name).arg(value));
    }
    // Both are within the grid here, so the cell's index is too.
    const auto cellIndex = static_cast<size_t>(button.row) * ShortcutButton::kColumns +
                           static_cast<size_t>(button.col);
    qsizetype &cell = cells[cellIndex];
    if (cell >= 0)
        return refusal(PadLayoutFileError::BadButton,
                       place + u"row %1, col %2 already holds button %3."_s.arg(button.row)
                                   .arg(button.col)
                                   .arg(cell + 1));
    cell = index;
    if (!isColorHex(button.colorHex))
        return refusal(PadLayoutFileError::BadButton,
                       place + u"the colour %1 is not #RRGGBB."_s.arg(inQuotes(button.colorHex)));
    if (const auto fault = keyFault(button.keyCombo, {}, true))
        return refusal(PadLayoutFileError::BadButton, place + *fault);
    if (auto kind = checkKind(button, place); !kind)
        return kind;
    if (button.customImageData) {
        if (button.customImageData->size() > ButtonImageFile::kMaxBytes)
            return refusal(PadLayoutFileError::TooLarge,
                           place + u"the image is larger than 10 MB."_s);
        if (imageType(*button.customImageData).isEmpty())
            return refusal(PadLayoutFileError::BadImage,
                           place + u"the image is not a PNG or JPEG image."_s);
    }
    return Done{};
}

Error tooManyButtons(qsizetype page, qsizetype count)
{
    return refusal(
        PadLayoutFileError::BadPage,
        u"Page %1 has %2 buttons; its 4 \u00D7 4 grid holds 16."_s.arg(page + 1).arg(count));
}

Expected<Done> checkPage(const PadLayoutPage &page, qsizetype index)
{
    if (page.name.isEmpty())
        return refusal(PadLayoutFileError::BadPage, u"Page %1 has no name."_s.arg(index + 1));
    if (page.buttons.size() > kCells)
        return tooManyButtons(index, page.buttons.size());
    std::array<qsizetype, kCells> cells;
    cells.fill(-1);
    for (qsizetype i = 0; i < page.buttons.size(); ++i) {
        if (auto done = checkButton(page.buttons[i], buttonPlace(index, i), cells, i); !done)
            return done;
    }
    return Done{};
}

Expected<Done> checkPageCount(qsizetype count)
{
    if (count > PadLayoutFile::kMaxPages)
        return refusal(PadLayoutFileError::TooLarge,
                       u"The file holds %1 pages; at most %2 can be imported."_s.arg(count).arg(
                           PadLayoutFile::kMaxPages));
    return Done{};
}

Expected<QString> textField(const QJsonObject &object, const QString &key, const QString &place)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return refusal(PadLayoutFileError::BadButton,
                       place + u"\u201C%1\u201D is missing or not text."_s.arg(key));
    return value.toString();
}

Expected<QByteArray> imageField(const QJsonValue &value, const QString &place)
{
    const QJsonObject image = value.toObject();
    const QString type = image.value(u"type"_s).toString();
    if (!value.isObject() || (type != kPng && type != kJpeg))
        return refusal(PadLayoutFileError::BadImage,
                       place + u"the image needs a \u201Ctype\u201D of image/png or image/jpeg."_s);
    const QJsonValue data = image.value(u"data"_s);
    if (!data.isString())
        return refusal(PadLayoutFileError::BadImage,
                       place + u"the image has no Base64 \u201Cdata\u201D."_s);
    const QString text = data.toString();
    if (text.size() > kMaxImageBase64)
        return refusal(PadLayoutFileError::TooLarge, place + u"the image is larger than 10 MB."_s);
    auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    // Anything outside Latin-1 becomes '?', which is no Base64 digit either. The padding may be
    // left out, but one digit alone cannot end the text.
    if (!decoded || text.size() % 4 == 1)
        return refusal(PadLayoutFileError::BadImage,
                       place + u"the image data is not valid Base64."_s);
    return std::move(*decoded);
}

// "sequence": {"keys": [...], "delayMs": 100}, the combinations typed after "keys". An empty
// list leaves a plain button.
Expected<Done> readSequence(const QJsonValue &value, const QString &place, ShortcutButton &button)
{
    const QJsonValue keys = value.toObject().value(u"keys"_s);
    const QJsonArray list = keys.toArray();
    if (!value.isObject() || !keys.isArray() ||
        !std::all_of(list.begin(), list.end(),
                     [](const QJsonValue &key) { return key.isString(); }))
        return refusal(PadLayoutFileError::BadButton,
                       place +
                           u"the \u201Csequence\u201D needs a list of \u201Ckeys\u201D as text."_s);
    if (list.isEmpty())
        return Done{};
    for (const auto &key : list)
        button.thenKeyCombos.append(key.toString());
    const QJsonValue delay = value.toObject().value(u"delayMs"_s);
    if (!delay.isUndefined()) {
        const std::optional<int> number = wholeNumber(delay);
        if (!number)
            return refusal(PadLayoutFileError::BadButton,
                           place +
                               u"the sequence\u2019s \u201CdelayMs\u201D is not a whole number."_s);
        button.sequenceDelayMs = *number;
    }
    return Done{};
}

// "toggle": {"label": ..., "color": ..., "keys": ..., "on": false}, the second state.
Expected<Done> readToggle(const QJsonValue &value, const QString &place, ShortcutButton &button)
{
    const QJsonObject object = value.toObject();
    const QJsonValue on = object.value(u"on"_s);
    const std::pair<const char16_t *, QString *> texts[] = {
        {u"label", &button.onLabel}, {u"color", &button.onColorHex}, {u"keys", &button.onKeyCombo}};
    const bool whole = value.isObject() && (on.isUndefined() || on.isBool()) &&
                       std::all_of(std::begin(texts), std::end(texts), [&](const auto &text) {
                           return object.value(QString::fromUtf16(text.first)).isString();
                       });
    if (!whole)
        return refusal(PadLayoutFileError::BadButton,
                       place + u"the \u201Ctoggle\u201D needs its \u201Clabel\u201D, "
                               u"\u201Ccolor\u201D and \u201Ckeys\u201D as text (and "
                               u"\u201Con\u201D true or false)."_s);
    for (const auto &[key, field] : texts)
        *field = object.value(QString::fromUtf16(key)).toString();
    button.isToggle = true;
    button.toggledOn = on.toBool();
    return Done{};
}

Expected<Done> readKind(const QJsonObject &object, const QString &place, ShortcutButton &button)
{
    if (object.contains(kSequence)) {
        if (auto done = readSequence(object.value(kSequence), place, button); !done)
            return done;
    }
    if (object.contains(kToggle)) {
        if (!button.thenKeyCombos.isEmpty())
            return refusal(PadLayoutFileError::BadButton,
                           place + u"a button is a sequence or has two states, not both."_s);
        if (auto done = readToggle(object.value(kToggle), place, button); !done)
            return done;
    }
    return Done{};
}

Expected<ShortcutButton> readButton(const QJsonValue &value, const QString &place)
{
    if (!value.isObject())
        return refusal(PadLayoutFileError::BadButton, place + u"not a JSON object."_s);
    const QJsonObject object = value.toObject();
    ShortcutButton button;
    const std::pair<const char16_t *, QString *> texts[] = {
        {u"label", &button.label},   {u"icon", &button.sfSymbol},    {u"color", &button.colorHex},
        {u"keys", &button.keyCombo}, {u"target", &button.appTarget},
    };
    for (const auto &[key, field] : texts) {
        auto text = textField(object, QString::fromUtf16(key), place);
        if (!text)
            return text.error();
        *field = std::move(text).value();
    }
    for (const auto &[key, field] : {std::pair{u"row"_s, &button.row}, {u"col"_s, &button.col}}) {
        const std::optional<int> number = wholeNumber(object.value(key));
        if (!number)
            return refusal(PadLayoutFileError::BadButton,
                           place + u"\u201C%1\u201D is missing or not a whole number."_s.arg(key));
        *field = *number;
    }
    if (object.contains(u"image"_s)) {
        auto image = imageField(object.value(u"image"_s), place);
        if (!image)
            return image.error();
        button.customImageData = std::move(image).value();
    }
    if (auto kind = readKind(object, place, button); !kind)
        return kind.error();
    return button;
}

// Writes a sequence's steps or a two-state button's second state; whether there were any.
bool writeKind(const ShortcutButton &button, QJsonObject &object)
{
    if (button.isToggle) {
        object.insert(kToggle, QJsonObject{{u"label"_s, button.onLabel},
                                           {u"color"_s, button.onColorHex},
                                           {u"keys"_s, button.onKeyCombo},
                                           {u"on"_s, button.toggledOn}});
        return true;
    }
    if (button.thenKeyCombos.isEmpty())
        return false;
    object.insert(kSequence,
                  QJsonObject{{u"keys"_s, QJsonArray::fromStringList(button.thenKeyCombos)},
                              {u"delayMs"_s, button.sequenceDelayMs}});
    return true;
}

Expected<PadLayoutPage> readPage(const QJsonValue &value, qsizetype index)
{
    const QString place = u"Page %1"_s.arg(index + 1);
    if (!value.isObject())
        return refusal(PadLayoutFileError::BadPage, place + u" is not a JSON object."_s);
    const QJsonObject object = value.toObject();
    PadLayoutPage page;
    const QJsonValue name = object.value(u"name"_s);
    if (!name.isString() || name.toString().isEmpty())
        return refusal(PadLayoutFileError::BadPage, place + u" has no name."_s);
    page.name = name.toString();
    const QJsonValue buttons = object.value(u"buttons"_s);
    if (!buttons.isArray())
        return refusal(PadLayoutFileError::BadPage,
                       place + u" (%1) has no list of buttons."_s.arg(inQuotes(page.name)));
    const QJsonArray list = buttons.toArray();
    // Checked before the buttons are read, so that a long list costs nothing.
    if (list.size() > kCells)
        return tooManyButtons(index, list.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        auto button = readButton(list[i], buttonPlace(index, i));
        if (!button)
            return button.error();
        page.buttons.append(std::move(button).value());
    }
    if (auto checked = checkPage(page, index); !checked)
        return checked.error();
    return page;
}

} // namespace

QByteArray PadLayoutFile::write(const QList<PadLayoutPage> &pages)
{
    QJsonArray pageList;
    int version = kPlainFormatVersion;
    for (const PadLayoutPage &page : pages) {
        QJsonArray buttons;
        for (const ShortcutButton &button : page.buttons) {
            QJsonObject object{
                {u"label"_s, button.label},      {u"icon"_s, button.sfSymbol},
                {u"color"_s, button.colorHex},   {u"keys"_s, button.keyCombo},
                {u"target"_s, button.appTarget}, {u"row"_s, button.row},
                {u"col"_s, button.col},
            };
            if (button.customImageData) {
                const QString type = imageType(*button.customImageData);
                object.insert(
                    u"image"_s,
                    QJsonObject{
                        {u"type"_s, type.isEmpty() ? kPng : type},
                        {u"data"_s, QString::fromLatin1(button.customImageData->toBase64())},
                    });
            }
            if (writeKind(button, object))
                version = kFormatVersion;
            buttons.append(object);
        }
        pageList.append(QJsonObject{{u"name"_s, page.name}, {u"buttons"_s, buttons}});
    }
    const QJsonObject root{{u"version"_s, version}, {u"pages"_s, pageList}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Expected<QList<PadLayoutPage>> PadLayoutFile::read(QByteArrayView bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return refusal(PadLayoutFileError::TooLarge,
                       u"The file is larger than 200 MB; no pad layout is that large."_s);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refusal(PadLayoutFileError::NotJson,
                       u"This is not a pad layout file: %1 at byte %2."_s.arg(
                           parseError.errorString(), QString::number(parseError.offset)));
    if (!document.isObject())
        return refusal(PadLayoutFileError::NotJson,
                       u"This is not a pad layout file: it does not hold a JSON object."_s);
    const QJsonObject root = document.object();
    if (!root.contains(u"version"_s))
        return refusal(PadLayoutFileError::BadVersion,
                       u"This is not a pad layout file: it has no \u201Cversion\u201D."_s);
    const std::optional<int> version = wholeNumber(root.value(u"version"_s));
    if (!version || *version < 1)
        return refusal(PadLayoutFileError::BadVersion,
                       u"This is not a pad layout file: its \u201Cversion\u201D is not a format "
                       u"number."_s);
    if (*version > kFormatVersion)
        return refusal(PadLayoutFileError::NewerVersion,
                       u"This file was made by a newer version of Huebench (format %1); this "
                       u"version reads format %2."_s.arg(*version)
                           .arg(kFormatVersion));
    const QJsonValue pageValue = root.value(u"pages"_s);
    if (!pageValue.isArray())
        return refusal(PadLayoutFileError::BadPage,
                       u"This is not a pad layout file: it has no list of \u201Cpages\u201D."_s);
    const QJsonArray list = pageValue.toArray();
    if (auto counted = checkPageCount(list.size()); !counted)
        return counted.error();
    QList<PadLayoutPage> pages;
    for (qsizetype i = 0; i < list.size(); ++i) {
        auto page = readPage(list[i], i);
        if (!page)
            return page.error();
        pages.append(std::move(page).value());
    }
    return pages;
}

Expected<Done> PadLayoutFile::check(const QList<PadLayoutPage> &pages)
{
    if (auto counted = checkPageCount(pages.size()); !counted)
        return counted;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (auto done = checkPage(pages[i], i); !done)
            return done;
    }
    return Done{};
}

} // namespace hb
