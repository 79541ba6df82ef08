#pragma once

#include <QtEndian>
#include <QtGlobal>

#include <gsf/gsf-fwd.h>

#include <optional>

namespace hb {

// One stream of a .doc's compound file. Every read is checked against the stream's size first,
// so an offset taken from the file can be passed as it is.
class DocStream {
public:
    explicit DocStream(GsfInput *input);

    qint64 size() const { return m_size; }

    // Reads `length` bytes at `offset`; false when they do not all lie inside the stream.
    bool read(qint64 offset, qint64 length, void *into) const;

    // A little-endian number at `offset`, if the stream holds it.
    template <typename T> std::optional<T> number(qint64 offset) const
    {
        uchar bytes[sizeof(T)];
        if (!read(offset, qint64(sizeof(T)), bytes))
            return std::nullopt;
        return qFromLittleEndian<T>(bytes);
    }

private:
    GsfInput *m_input;
    qint64 m_size;
};

} // namespace hb
