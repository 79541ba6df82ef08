#pragma once

#include <QWidget>

namespace hb {

struct LibraryItem;

// One row of the library list: the template's name, its file name below in a smaller, quieter
// style, and a "Share" button.
class MogrtLibraryRow : public QWidget {
    Q_OBJECT

public:
    explicit MogrtLibraryRow(const LibraryItem &item, QWidget *parent = nullptr);

Q_SIGNALS:
    void shareRequested();
};

} // namespace hb
