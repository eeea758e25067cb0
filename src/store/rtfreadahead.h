#pragma once

#include "rtfsink.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>

namespace store {

// Reads `rtf` into `sink` as readRtf() does, but with the reading itself on a
// thread of its own: the sink gets what the reader made in batches, on the
// calling thread, while the reader goes on with the rest. A sink that does
// much with each piece (a QTextDocument) then waits only for itself. Below a
// size where a thread does not pay (see setReadAheadFrom()) it reads on the
// calling thread. The sink is told the same things in the same order either
// way; the reader runs at most a few batches ahead of it.
bool readRtfAhead(QByteArrayView rtf, RtfSink &sink);

// The same a part at a time, for a sink whose thread has other things to do
// between the parts: the reader starts on its thread at once and waits when
// it is a few batches ahead; pass() hands the sink what there is, until
// `enough` says so (asked after each paragraph) or until all is told.
// Destroyed before the end, it stops the reader.
class RtfReadAhead
{
public:
    explicit RtfReadAhead(const QByteArray &rtf);
    ~RtfReadAhead();
    RtfReadAhead(const RtfReadAhead &) = delete;
    RtfReadAhead &operator=(const RtfReadAhead &) = delete;

    // True once the sink has been told everything.
    bool pass(RtfSink &sink, const std::function<bool()> &enough);

private:
    struct Reading;
    std::unique_ptr<Reading> m_reading;
};

// Files of at least this many bytes are read ahead; smaller ones are read on
// the calling thread. Tests set it to 0 to read every file ahead.
void setReadAheadFrom(qsizetype bytes);
qsizetype readAheadFrom();

} // namespace store
