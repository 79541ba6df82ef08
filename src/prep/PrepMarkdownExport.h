#pragma once

#include "common/Expected.h"

#include <QString>

class QWidget;

namespace hb {

class PrepChecklist;

// Saving a project's checklist as a Markdown file, for the "Export…" commands of the screens.
class PrepMarkdownExport {
public:
    PrepMarkdownExport() = delete;

    // "<name>.md", with the characters a file name cannot hold replaced.
    static QString defaultFileName(const QString &projectName);
    // Asks where to save the project's file; empty when the user cancels.
    static QString choosePath(QWidget *parent, const QString &projectName);
    // Writes the project's Markdown to `path`, replacing the file whole or leaving it as it was.
    static Expected<Done> write(const PrepChecklist &checklist, qint64 project,
                                const QString &path);
    // The status text of a failed export.
    static QString failureText(const Error &error);
};

} // namespace hb
