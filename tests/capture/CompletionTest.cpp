#include <gtest/gtest.h>

#include <QByteArray>
#include <utility>

#include "capture/Completion.h"

using capture::AddFields;

namespace {

QByteArray Completed(QByteArray data, QByteArrayView call = "N0CALL") {
  AddFields(data, call);
  return data;
}

// A record with neither FREQ nor RST_RCVD: the report fields go in front of
// the band field, since the report split works on the banded record.
const QByteArray kEmptyFields = "<RST_RCVD:0><RST_SENT:0><BAND:0>";
const QByteArray kStation = "<STATION_CALLSIGN:6>N0CALL<EOR>";

}  // namespace

TEST(CompletionTest, workedExampleIsCompleted) {
  const QByteArray data = "Log<EOH>\r\n<MODE:2>CW<FREQ:6>14.074<RST_RCVD:7>599/579<EOR>\r\n";
  EXPECT_EQ(Completed(data),
            "Log<EOH>\r\n<MODE:2>CW<FREQ:6>14.074<BAND:3>20M<RST_RCVD:3>599<RST_SENT:3>579"
            "<STATION_CALLSIGN:6>N0CALL<EOR>");
}

TEST(CompletionTest, everyRecordIsCompletedAndHeaderAppearsOnce) {
  const QByteArray data =
      "ADIF export<EOH>\r\n<FREQ:5>7.030<RST_RCVD:3>579<EOR>\r\n<FREQ:5>14074<RST_RCVD:7>599/589<EOR>\r\n";
  EXPECT_EQ(Completed(data),
            "ADIF export<EOH>\r\n<FREQ:5>7.030<BAND:3>40M<RST_RCVD:3>579<RST_SENT:0>" + kStation +
                "\r\n<FREQ:5>14074<BAND:3>20M<RST_RCVD:3>599<RST_SENT:3>589" + kStation);
}

TEST(CompletionTest, headerAndRecordMarkersFrameTheExport) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"", ""},
      {"Log<EOH>\r\n<MODE:2>CW", "Log<EOH>"},  // the tail after the last record is dropped
      {"no header, no record", ""},
      {"H<EOH><MODE:2>CW<EOR>\r\n<MODE:3>SSB", "H<EOH>" + kEmptyFields + "<MODE:2>CW" + kStation},
      {"H<EOH><EOR><EOR>", "H<EOH>" + kEmptyFields + kStation + kEmptyFields + kStation},
      {"H<eoh><eor>", "H<eoh>" + kEmptyFields + kStation},
      // Without a header the first piece is a whole record; a header marker
      // after the first record belongs to the second one.
      {"<FREQ:6>14.074<EOR>", "<RST_RCVD:0><RST_SENT:0><FREQ:6>14.074<BAND:3>20M" + kStation},
      {"<MODE:2>CW<EOR>H<EOH><EOR>", kEmptyFields + "<MODE:2>CW" + kStation + kEmptyFields + "H<EOH>" + kStation},
  };
  for (const auto& [data, expected] : cases) EXPECT_EQ(Completed(data), expected) << data.constData();
}

TEST(CompletionTest, callSignIsTrimmedAndCounted) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {" N0CALL ", kStation},
      {"\tK1ABC/P\r\n", "<STATION_CALLSIGN:7>K1ABC/P<EOR>"},
      {"", "<STATION_CALLSIGN:0><EOR>"},
      {"   ", "<STATION_CALLSIGN:0><EOR>"},
  };
  for (const auto& [call, station] : cases)
    EXPECT_EQ(Completed("H<EOH><EOR>", call), "H<EOH>" + kEmptyFields + station) << call.constData();
}

TEST(CompletionTest, bandIsDerivedBeforeTheReportSplit) {
  // The frequency value runs into the report tag, so the band field breaks
  // that tag and the report is no longer found.
  EXPECT_EQ(Completed("H<EOH><FREQ:8>14.074<RST_RCVD:3>599<EOR>"),
            "H<EOH><RST_RCVD:0><RST_SENT:0><FREQ:8>14.074<R<BAND:3>20MST_RCVD:3>599" + kStation);
  EXPECT_EQ(Completed("H<EOH><RST_RCVD:7>599/579<FREQ:6>14.074<EOR>"),
            "H<EOH><RST_RCVD:3>599<RST_SENT:3>579<FREQ:6>14.074<BAND:3>20M" + kStation);
  // The report is read from the banded record, up to its end.
  EXPECT_EQ(Completed("H<EOH><RST_RCVD:99>59/9<FREQ:6>14.074<EOR>"),
            "H<EOH><RST_RCVD:2>59<RST_SENT:26>9<FREQ:6>14.074<BAND:3>20M" + kStation);
}

TEST(CompletionTest, badBytesAndTruncatedTagsKeepEveryByte) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {QByteArray("\0H\xFF<EOH>\0\xFF<FREQ:6>14.074\xFF\0<EOR>\0\xFF", 33),
       QByteArray("\0H\xFF<EOH>", 8) + "<RST_RCVD:0><RST_SENT:0>" + QByteArray("\0\xFF<FREQ:6>14.074", 16) +
           "<BAND:3>20M" + QByteArray("\xFF\0", 2) + kStation},
      {"H<EOH><<EOR>", "H<EOH>" + kEmptyFields + "<" + kStation},
      {"H<EOH><FREQ:99><EOR>", "H<EOH><RST_RCVD:0><RST_SENT:0><FREQ:99><BAND:2>??" + kStation},
      {"H<EOH><RST_RCVD:<EOR>", "H<EOH><BAND:0><RST_RCVD:0><RST_SENT:0><RST_RCVD:" + kStation},
      {"<", ""},
      {"H<EOH><RST_RCVD:99999999999999999999>599<EOR>",
       "H<EOH><BAND:0><RST_RCVD:0><RST_SENT:0><RST_RCVD:99999999999999999999>599" + kStation},
  };
  for (const auto& [data, expected] : cases) EXPECT_EQ(Completed(data), expected) << data.constData();
}

TEST(CompletionTest, thousandsOfEmptyRecordsAreAllCompleted) {
  QByteArray data = "H<EOH>";
  for (int i = 0; i < 5000; ++i) data += "<EOR>";
  const QByteArray completed = Completed(data);
  EXPECT_EQ(completed.size(), 6 + 5000 * (kEmptyFields.size() + kStation.size()));
  EXPECT_EQ(completed.count(kStation), 5000);
  EXPECT_TRUE(completed.startsWith("H<EOH>" + kEmptyFields + kStation));
}

TEST(CompletionTest, largeExportIsCompletedWhole) {
  const QByteArray record =
      "\r\n<CALL:5>K1ABC<QSO_DATE:8>20240101<TIME_ON:4>1200<FREQ:6>14.074<MODE:3>FT8<RST_RCVD:7>599/579"
      "<COMMENT:20>big export test entry<EOR>";
  const qsizetype count = 50 * 1024 * 1024 / record.size() + 1;  // just over 50 MB
  QByteArray data = "Big<EOH>";
  data.reserve(8 + count * record.size() + 2);
  for (qsizetype i = 0; i < count; ++i) data += record;
  data += "\r\n";

  AddFields(data, "N0CALL");

  const QByteArray completedRecord =
      "\r\n<CALL:5>K1ABC<QSO_DATE:8>20240101<TIME_ON:4>1200<FREQ:6>14.074<BAND:3>20M<MODE:3>FT8"
      "<RST_RCVD:3>599<RST_SENT:3>579<COMMENT:20>big export test entry" + kStation;
  ASSERT_EQ(data.size(), 8 + count * completedRecord.size());
  EXPECT_TRUE(data.startsWith("Big<EOH>" + completedRecord));
  EXPECT_TRUE(data.endsWith(completedRecord));
  EXPECT_EQ(data.count("<BAND:3>20M"), count);
}
