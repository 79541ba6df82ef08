#pragma once

#include <QColor>
#include <QListWidget>

namespace hb {

// A list of servers in the connection sheet: one row per server with a symbol, a title, an
// optional second line and an optional symbol at the end. The list is as tall as its rows, so
// that the sheet scrolls rather than the list, and hidden while it is empty.
class HostListWidget : public QListWidget {
    Q_OBJECT

public:
    struct Row {
        QString symbol;
        QColor color;
        QString title;
        QString subtitle;
        QString trailing; // a symbol, or empty for none
        QColor trailingColor;
    };

    explicit HostListWidget(const QString &name, QWidget *parent = nullptr);

    // Appends a row that assistive technology reads as `accessibleText`.
    void addRow(const QString &accessibleText, const Row &row);
    // Sizes the list to its rows; call after adding them.
    void fitToRows();
};

} // namespace hb
