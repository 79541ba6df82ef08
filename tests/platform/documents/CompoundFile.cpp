#include "CompoundFile.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-memory.h>

namespace hb::test {

QByteArray compoundFile(const QList<std::pair<QByteArray, QByteArray>> &streams)
{
    GsfOutput *sink = gsf_output_memory_new();
    GsfOutfile *file = gsf_outfile_msole_new(sink);
    for (const auto &[name, data] : streams) {
        GsfOutput *stream = gsf_outfile_new_child(file, name.constData(), FALSE);
        gsf_output_write(stream, size_t(data.size()),
                         reinterpret_cast<const guint8 *>(data.constData()));
        gsf_output_close(stream);
        g_object_unref(stream);
    }
    gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    QByteArray bytes(
        reinterpret_cast<const char *>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
        qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return bytes;
}

} // namespace hb::test
