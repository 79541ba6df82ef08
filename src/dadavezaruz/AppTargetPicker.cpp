#include "dadavezaruz/AppTargetPicker.h"

#include <QList>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

struct Target {
    QString label;
    QString id;
};

const QList<Target> &targets()
{
    static const QList<Target> list = {
        {u"DaVinci Resolve"_s, u"resolve"_s},
        {u"OBS Studio"_s, u"obs"_s},
        {u"Global (frontmost)"_s, u"global"_s},
    };
    return list;
}

} // namespace

AppTargetPicker::AppTargetPicker(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this,
            [this](int index) { Q_EMIT targetChosen(itemData(index).toString()); });
}

void AppTargetPicker::setTarget(const QString &target)
{
    const QSignalBlocker blocker(this);
    clear();
    for (const Target &known : targets())
        addItem(known.label, known.id);
    int index = findData(target);
    if (index < 0) {
        addItem(target, target);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

} // namespace hb
