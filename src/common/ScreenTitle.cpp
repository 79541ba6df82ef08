#include "common/ScreenTitle.h"

namespace hb {

ScreenTitle::ScreenTitle(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setWeight(QFont::Bold);
    setFont(titleFont);
}

} // namespace hb
