#pragma once

#include "dadavezaruz/ShortcutPreset.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace hb {

// Lists the built-in presets by category, narrowed by a search field, and hands the chosen one
// on. Up and Down move through the presets while the search field keeps the typing; Return
// chooses the selected preset.
class PresetPickerSheet : public QDialog {
    Q_OBJECT

public:
    explicit PresetPickerSheet(QWidget *parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString &text);
    // The presets on the list, top to bottom.
    QList<ShortcutPreset> listedPresets() const;
    // The categories heading the list's sections, top to bottom.
    QStringList listedCategories() const;
    // The selected preset, if any.
    std::optional<ShortcutPreset> selectedPreset() const;

Q_SIGNALS:
    void presetChosen(const ShortcutPreset &preset);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void addSection(const QString &category);
    void addRow(const ShortcutPreset &preset);
    std::optional<ShortcutPreset> presetAt(const QListWidgetItem *item) const;
    void moveSelection(int step);
    void choose(const QListWidgetItem *item);

    QLineEdit *m_search;
    QListWidget *m_list;
    bool m_chosen = false;
};

} // namespace hb
