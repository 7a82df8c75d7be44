#pragma once
// Record completion: every record of an export gains BAND (from FREQ),
// RST_SENT (split off RST_RCVD) and STATION_CALLSIGN. No window needed.

#include <QByteArray>
#include <QByteArrayView>

namespace capture {

// One record in, the record with its BAND field inserted.
QByteArray GetBandFromFreq(QByteArrayView record);
// One record in, the record with its first RST_RCVD field replaced by
// RST_RCVD and RST_SENT (or both empty fields put in front).
QByteArray DeriveRstSent(QByteArrayView record);
// Rewrites `adifData` in place: header kept, every record completed and
// closed with the station field, the tail after the last "<EOR>" dropped.
void AddFields(QByteArray& adifData, QByteArrayView callText);

}  // namespace capture
