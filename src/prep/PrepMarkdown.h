#pragma once

#include "prep/PrepRecords.h"

#include <QList>
#include <QString>

namespace hb {

// A project and its tasks as Markdown (the format is described at
// PrepChecklist::exportMarkdown()).
class PrepMarkdown {
public:
    PrepMarkdown() = delete;

    static QString render(const PrepProject &project, const QList<PrepTask> &tasks);
};

} // namespace hb
