#include "converters/FountainReading.h"

#include <QStringView>

#include <utility>

namespace hb {

FountainReading FountainReading::prose(const QStringList &lines)
{
    FountainReading reading;
    Element passage;
    auto close = [&] {
        if (!passage.lines.isEmpty())
            reading.elements.append(std::exchange(passage, {}));
    };
    for (const QString &line : lines) {
        if (QStringView(line).trimmed().isEmpty())
            close();
        else
            passage.lines.append(line);
    }
    close();
    return reading;
}

} // namespace hb
