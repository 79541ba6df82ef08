// Reading a template's "definition.json": any bytes either decode or fail cleanly, and looking a
// control up by its own name always finds one (perhaps an earlier one with the same key). A frame
// size the definition gives is within its bounds and a template's name is never empty; the seeds
// cover the shapes exported templates use (localized texts, colour and point arrays, groups).
#include "FuzzCheck.h"
#include "mogrt/MogrtDefinition.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using hb::fuzz::check;

using namespace Qt::StringLiterals;

namespace {

void lookUp(const QString &wanted, const QList<hb::MogrtControl> &controls)
{
    const QString fallback = u"\u2400fallback"_s;
    const auto control = hb::findControl(wanted, controls);
    const QString text = hb::controlString(wanted, controls, fallback);
    check(control || text == fallback, "no control gives the fallback");
    check(!text.isEmpty(), "a control's text is never empty");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto definition = hb::MogrtDefinition::decode(input);
    if (!definition) {
        check(!definition.error().description.isEmpty(), "a failure says why");
        return 0;
    }
    if (const auto frame = definition->frameSize) {
        for (const double extent : {frame->width(), frame->height()})
            check(std::isfinite(extent) && extent > 0.0 &&
                      extent <= hb::MogrtDefinition::kMaxFrameExtent,
                  "a frame size is finite, positive and bounded");
    }
    check(!definition->templateName || !definition->templateName->isEmpty(),
          "a template's name is never empty");
    const QList<hb::MogrtControl> controls =
        definition->clientControls.value_or(QList<hb::MogrtControl>{});
    for (const QString &wanted :
         {u"Source Text"_s, u"Text Color"_s, u"Position"_s, u"Scale"_s, u""_s})
        lookUp(wanted, controls);
    for (const hb::MogrtControl &control : controls) {
        const QString own = control.displayName && !control.displayName->isEmpty()
                                ? *control.displayName
                                : control.name.value_or(QString());
        check(hb::findControl(u" \n"_s + own.toUpper() + u"\u3000"_s, controls).has_value() ||
                  own.toUpper().toLower() != own.toLower(),
              "a control is found by its own key");
        lookUp(own, controls);
    }
    return 0;
}
