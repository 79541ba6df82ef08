#include "platform/documents/DocStream.h"

#include <gsf/gsf-input.h>

namespace hb {

DocStream::DocStream(GsfInput *input) : m_input(input), m_size(gsf_input_size(input)) {}

bool DocStream::read(qint64 offset, qint64 length, void *into) const
{
    if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
        return false;
    if (length == 0)
        return true;
    // libgsf's seek returns true when it fails.
    return !gsf_input_seek(m_input, gsf_off_t(offset), G_SEEK_SET) &&
           gsf_input_read(m_input, size_t(length), static_cast<guint8 *>(into));
}

} // namespace hb
