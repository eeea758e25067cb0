#pragma once

#include "rtfsink.h"

#include <QByteArrayView>

namespace store {

// Reads `rtf` into `sink` as readRtf() does, but with the reading itself on a
// thread of its own: the sink gets what the reader made in batches, on the
// calling thread, while the reader goes on with the rest. A sink that does
// much with each piece (a QTextDocument) then waits only for itself. Below a
// size where a thread does not pay (see setReadAheadFrom()) it reads on the
// calling thread. The sink is told the same things in the same order either
// way; the reader runs at most a few batches ahead of it.
bool readRtfAhead(QByteArrayView rtf, RtfSink &sink);

// Files of at least this many bytes are read ahead; smaller ones are read on
// the calling thread. Tests set it to 0 to read every file ahead.
void setReadAheadFrom(qsizetype bytes);
qsizetype readAheadFrom();

} // namespace store
