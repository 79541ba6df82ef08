#pragma once

#include "common/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QSqlDatabase;

namespace hb {

class ModelStore;
struct ShortcutPreset;

// A page of the pad, listed by ascending sortOrder.
struct ShortcutPage {
    qint64 id = 0;
    QString name;
    int sortOrder = 0;

    friend bool operator==(const ShortcutPage &, const ShortcutPage &) = default;
};

// One button in the 4 x 4 grid of a page; the defaults are those of a new empty button.
//
// A button is one of three kinds. A plain button sends keyCombo. A sequence (thenKeyCombos not
// empty, isToggle off) sends keyCombo and then each of thenKeyCombos, sequenceDelayMs apart. A
// two-state button (isToggle) shows label, colorHex and sends keyCombo while toggledOn is off,
// and onLabel, onColorHex, onKeyCombo while it is on; a posted press flips toggledOn.
struct ShortcutButton {
    static constexpr int kRows = 4;
    static constexpr int kColumns = 4;
    // Combinations in one sequence, the first included.
    static constexpr int kMaxSequence = 8;
    static constexpr int kMaxSequenceDelayMs = 2000;

    qint64 id = 0;
    qint64 page = 0;
    QString label = QStringLiteral("Button");
    QString sfSymbol = QStringLiteral("bolt.fill");
    QString colorHex = QStringLiteral("#6B5CE7");
    QString keyCombo; // empty: the button sends nothing
    QString appTarget = QStringLiteral("global");
    int row = 0;
    int col = 0;
    std::optional<QByteArray> customImageData; // PNG or JPEG as chosen, replaces the icon
    QStringList thenKeyCombos = {}; // typed after keyCombo, in order; at most kMaxSequence - 1
    int sequenceDelayMs = 100; // between two combinations of a sequence, 0..kMaxSequenceDelayMs
    bool isToggle = false;
    bool toggledOn = false; // the second state is the one shown and sent
    QString onLabel = QStringLiteral("On");
    QString onColorHex = QStringLiteral("#E5484D");
    QString onKeyCombo = {};

    // What the pads show and send for the current state.
    QString shownLabel() const { return isToggle && toggledOn ? onLabel : label; }
    QString shownColorHex() const { return isToggle && toggledOn ? onColorHex : colorHex; }
    // The combinations one press types, in order: one, or a sequence of up to kMaxSequence.
    // Empty combinations are left out; none at all means the button sends nothing.
    QStringList keysToSend() const;

    friend bool operator==(const ShortcutButton &, const ShortcutButton &) = default;
};

// What a delete takes away, read before it so that restore() can put it back as it was: the
// records with their ids, the page's place among the pages and each button's place in its page.
struct ShortcutPadSnapshot {
    std::optional<ShortcutPage> page; // set when a whole page goes, with all its buttons
    QList<ShortcutButton> buttons;
    QList<int> positions; // of each button in its page's order, index for index

    friend bool operator==(const ShortcutPadSnapshot &, const ShortcutPadSnapshot &) = default;
};

// Error codes of the `ShortcutPad` error domain; a failing store gives the store's own error.
enum class ShortcutPadError {
    PagesUnreadable = 1, // the pages could not be read or counted
    OutsideGrid = 2,     // a cell past the grid's rows or columns
    NotFound = 3,        // no page or button with that id
    NotRestorable = 4,   // an id is in use again, the page is gone or the cell is taken
};
inline QString errorDomain(ShortcutPadError)
{
    return QStringLiteral("ShortcutPad");
}

// The pad's pages and buttons in the model store. Every change is saved before it returns; the
// store's changed() signal tells live lists to refresh.
class ShortcutPad {
public:
    explicit ShortcutPad(ModelStore &store);

    // By ascending sortOrder; pages sharing one keep the order they were made in.
    Expected<QList<ShortcutPage>> pages() const;
    // A page's buttons in the order they were added.
    Expected<QList<ShortcutButton>> buttons(qint64 page) const;
    // One button by its id; nothing when there is no such button.
    Expected<std::optional<ShortcutButton>> button(qint64 button) const;

    // When the store holds no page, makes "Resolve" (the first 16 Resolve presets), "OBS" (the
    // 10 OBS presets) and "Custom" (empty), and gives "Resolve" to select; otherwise nothing.
    Expected<std::optional<qint64>> seedDefaultPages();
    // A new page after the others: its sortOrder is the number of pages before it.
    Expected<ShortcutPage> addPage(const QString &name);
    Expected<Done> renamePage(qint64 page, const QString &name);
    // Removes the page and its buttons.
    Expected<Done> deletePage(qint64 page);

    // A new empty button in the cell; rows and columns outside the grid are refused.
    Expected<ShortcutButton> addButton(qint64 page, int row, int col);
    // Saves the editable fields of a button. Not toggledOn: a press may have flipped it since the
    // button was read (on a phone, say), and an edit or a move must not turn it back. A button
    // that is no longer two-state is off, so that it starts off when it is made one again.
    Expected<Done> updateButton(const ShortcutButton &button);
    Expected<Done> deleteButton(qint64 button);
    // Copies the preset's label, symbol, colour, keys and target, drops a custom image and makes
    // the button a plain one-combination button.
    Expected<Done> applyPreset(qint64 button, const ShortcutPreset &preset);
    // The state a two-state button shows and sends next; not an edit (no undo), and allowed for
    // any button so that a press racing an edit never fails.
    Expected<Done> setToggledOn(qint64 button, bool on);
    // Stores the image bytes unchanged, or clears the image.
    Expected<Done> setCustomImage(qint64 button, const std::optional<QByteArray> &image);

    // The page with its buttons, or one button, as deletePage() or deleteButton() would take it.
    Expected<ShortcutPadSnapshot> snapshotPage(qint64 page) const;
    Expected<ShortcutPadSnapshot> snapshotButton(qint64 button) const;
    // Puts the snapshot's records back with their own ids and places, all or nothing: refused
    // when an id is in use, a button's page is gone or one of its cells holds another button.
    Expected<Done> restore(const ShortcutPadSnapshot &snapshot);

    // For work inside a ModelStore::write() on `db`: a new page after the others, as addPage()
    // makes it, holding the buttons in their order (their ids and pages are not used).
    static Expected<ShortcutPage> addPageIn(QSqlDatabase &db, const QString &name,
                                            const QList<ShortcutButton> &buttons);
    // For work inside a ModelStore::write() on `db`: a new button with the fields of `button`,
    // last in its page's order (its id is not used, and its cell is not checked). Gives it back
    // with its new id.
    static Expected<ShortcutButton> addButtonIn(QSqlDatabase &db, ShortcutButton button);

private:
    Expected<QList<ShortcutButton>> selectButtons(const QString &where, qint64 key,
                                                  QList<int> *positions = nullptr) const;

    ModelStore &m_store;
};

} // namespace hb
