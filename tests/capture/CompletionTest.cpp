#include <gtest/gtest.h>

#include <utility>

#include "capture/Completion.h"
#include "support/AdifFields.h"
#include "support/QtPrinters.h"

using capture::DeriveRstSent;
using capture::GetBandFromFreq;

namespace {

// Completed with a call sign that needs trimming, unless another is given.
QByteArray Completed(QByteArray data, QByteArrayView call = " \tN0CALL\r\n") {
  capture::AddFields(data, call);
  return data;
}

// A record with neither FREQ nor RST_RCVD gains these, in this order, in front.
const QByteArray kEmptyFields = "<RST_RCVD:0><RST_SENT:0><BAND:0>";
const QByteArray kStation = "<STATION_CALLSIGN:6>N0CALL<EOR>";

using testsupport::ReadFields;

}  // namespace

// The band plan: each band's lowest and highest frequency, and the ones just outside it, in MHz (with a
// point) and a few in kHz (without); then odd frequency fields.
TEST(CompletionTest, bandOfTheFirstFrequencyGoesRightAfterItAndOddFieldsKeepEveryByte) {
  const std::pair<const char*, const char*> plan[] = {
      {"0.999", "??"}, {"1.000", "160M"}, {"2.999", "160M"}, {"3.000", "80M"}, {"4.999", "80M"}, {"5.000", "60M"},
      {"5.999", "60M"}, {"6.000", "??"}, {"6.999", "??"}, {"7.000", "40M"}, {"7.999", "40M"}, {"8.000", "??"},
      {"9.999", "??"}, {"10.000", "30M"}, {"10.999", "30M"}, {"11.000", "??"}, {"13.999", "??"}, {"14.000", "20M"},
      {"14.999", "20M"}, {"15.000", "??"}, {"17.999", "??"}, {"18.000", "17M"}, {"18.999", "17M"}, {"19.000", "??"},
      {"20.999", "??"}, {"21.000", "15M"}, {"21.999", "15M"}, {"22.000", "??"}, {"23.999", "??"}, {"24.000", "12M"},
      {"24.999", "12M"}, {"25.000", "??"}, {"27.999", "??"}, {"28.000", "10M"}, {"29.999", "10M"}, {"30.000", "??"},
      {"49.999", "??"}, {"50.000", "6M"}, {"54.999", "6M"}, {"55.000", "??"}, {"143.999", "??"}, {"144.000", "2M"},
      {"148.999", "2M"}, {"149.000", "??"}, {"221.999", "??"}, {"222.000", "1.25M"}, {"225.999", "1.25M"},
      {"226.000", "??"}, {"419.999", "??"}, {"420.000", "70CM"}, {"450.999", "70CM"}, {"451.000", "??"},
      {"901.999", "??"}, {"902.000", "33CM"}, {"928.999", "33CM"}, {"929.000", "??"}, {"1239.999", "??"},
      {"1240.000", "23CM"}, {"1300.999", "23CM"}, {"1301.000", "??"}, {"14074", "20M"}, {"7030", "40M"},
      {"1296", "160M"}, {"7", "??"}, {"999", "??"}, {"29999", "10M"}, {"30000", "??"}, {"1296.200", "23CM"},
  };
  for (const auto& [value, band] : plan) {
    const QByteArray freq = "<FREQ:" + QByteArray::number(qstrlen(value)) + ">" + value;
    EXPECT_EQ(GetBandFromFreq(freq), freq + "<BAND:" + QByteArray::number(qstrlen(band)) + ">" + band);
  }
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"<CALL:4>K1AB<FREQ:6>14.074<MODE:3>FT8", "<CALL:4>K1AB<FREQ:6>14.074<BAND:3>20M<MODE:3>FT8"},
      {"<FREQ:10>14.0740000<X:1>y", "<FREQ:10>14.0740000<BAND:3>20M<X:1>y"},
      {"<FREQ:0><MODE:2>CW", "<FREQ:0><BAND:0><MODE:2>CW"}, {"<FREQ:x>14.074", "<FREQ:x><BAND:0>14.074"},
      {"<FREQ:9>14.074", "<FREQ:9>14.074<BAND:3>20M"}, {"<FREQ:1>7", "<FREQ:1>7<BAND:2>??"},
      {"<FREQ:5>7.030<freq:6>14.074", "<FREQ:5>7.030<BAND:3>40M<freq:6>14.074"},
      {"<freq:6>14.074", "<freq:6>14.074<BAND:3>20M"}, {"<MODE:2>CW", "<BAND:0><MODE:2>CW"}, {"", "<BAND:0>"},
      // A type indicator, a three-digit length, a negative length, an unclosed tag: the field stays whole.
      {"<FREQ:6:N>14.074", "<BAND:0><FREQ:6:N>14.074"}, {"<FREQ:100>14.074", "<BAND:0><FREQ:100>14.074"},
      {"<FREQ:-1>14.074", "<BAND:0><FREQ:-1>14.074"}, {"x<FREQ:6", "<BAND:0>x<FREQ:6"},
  };
  for (const auto& [record, expected] : cases) EXPECT_EQ(GetBandFromFreq(record), expected) << record.constData();
}

TEST(CompletionTest, firstReportIsSplitAtItsFirstSlashAndOddLengthsNeverLoseAByte) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"<RST_RCVD:7>599/579", "<RST_RCVD:3>599<RST_SENT:3>579"}, {"<RST_RCVD:3>599", "<RST_RCVD:3>599<RST_SENT:0>"},
      {"<RST_RCVD:4>/579", "<RST_RCVD:0><RST_SENT:3>579"}, {"<RST_RCVD:5>5/9/7", "<RST_RCVD:1>5<RST_SENT:3>9/7"},
      {"<RST_RCVD:0>", "<RST_RCVD:0><RST_SENT:0>"}, {"<RST_RCVD:3:S>599", "<RST_RCVD:3>599<RST_SENT:0>"},
      {"<MODE:2>CW<rst_rcvd:7>599/579<TIME_ON:4>1200", "<MODE:2>CW<RST_RCVD:3>599<RST_SENT:3>579<TIME_ON:4>1200"},
      {"<RST_RCVD:3>5/9<RST_RCVD:3>4/8", "<RST_RCVD:1>5<RST_SENT:1>9<RST_RCVD:3>4/8"},
      {"<MODE:2>CW", "<RST_RCVD:0><RST_SENT:0><MODE:2>CW"}, {"<RST_RCVD:9>59/5", "<RST_RCVD:2>59<RST_SENT:1>5"},
      // A negative length replaces only the tag; a huge one is clamped to the record.
      {"<RST_RCVD:-3>599", "<RST_RCVD:0><RST_SENT:0>599"}, {"<RST_RCVD:1e300>5/9", "<RST_RCVD:1>5<RST_SENT:1>9"},
  };
  for (const auto& [record, expected] : cases) EXPECT_EQ(DeriveRstSent(record), expected) << record.constData();
}

TEST(CompletionTest, headerIsKeptEveryRecordCompletedAndTheTailDropped) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"Log<EOH>\r\n<MODE:2>CW<FREQ:6>14.074<RST_RCVD:7>599/579<EOR>\r\n",
       "Log<EOH>\r\n<MODE:2>CW<FREQ:6>14.074<BAND:3>20M<RST_RCVD:3>599<RST_SENT:3>579" + kStation},
      {"", ""}, {"Log<EOH>\r\n<MODE:2>CW", "Log<EOH>"}, {"no header, no record", ""}, {"<", ""},
      {"H<EOH><MODE:2>CW<EOR>\r\n<MODE:3>SSB", "H<EOH>" + kEmptyFields + "<MODE:2>CW" + kStation},
      {"H<eoh><<EOR><eor>", "H<eoh>" + kEmptyFields + "<" + kStation + kEmptyFields + kStation},
      // Without a header the first piece is a whole record; a header marker after it belongs to the second one.
      {"<freq:6>14.074<rst_rcvd:3>5/9<EOR>", "<freq:6>14.074<BAND:3>20M<RST_RCVD:1>5<RST_SENT:1>9" + kStation},
      {"<MODE:2>CW<EOR>H<EOH><EOR>", kEmptyFields + "<MODE:2>CW" + kStation + kEmptyFields + "H<EOH>" + kStation},
      // Only a record's first report is split; a second one stays as sent.
      {"H<EOH><FREQ:6>14.074<RST_RCVD:3>5/9<RST_RCVD:3>4/8<EOR>",
       "H<EOH><FREQ:6>14.074<BAND:3>20M<RST_RCVD:1>5<RST_SENT:1>9<RST_RCVD:3>4/8" + kStation},
      // The band goes in first: a value running into the report tag breaks it.
      {"H<EOH><FREQ:8>14.074<RST_RCVD:3>599<EOR>",
       "H<EOH><RST_RCVD:0><RST_SENT:0><FREQ:8>14.074<R<BAND:3>20MST_RCVD:3>599" + kStation},
  };
  for (const auto& [data, expected] : cases) EXPECT_EQ(Completed(data), expected) << data.constData();
  EXPECT_EQ(Completed("H<EOH><EOR>", "  "), "H<EOH>" + kEmptyFields + "<STATION_CALLSIGN:0><EOR>");
}

// A call sign as typed, in UTF-8: it goes in whole and reads back as written. Some of its bytes are white
// space in Latin-1 (0xA0 no-break space, 0x85 next line), none of them in UTF-8.
TEST(CompletionTest, aCallSignBeyondAsciiGoesInAsUtf8WithItsLengthInBytes) {
  const std::pair<QByteArray, QByteArray> calls[] = {
      {"OK1Š", "OK1\xC5\xA0"}, {" YL2Ņ\r\n", "YL2\xC5\x85"}, {"\tJH1アイ ", "JH1\xE3\x82\xA2\xE3\x82\xA4"}};
  for (const auto& [typed, call] : calls) {
    SCOPED_TRACE(typed.toStdString());
    const QByteArray completed = Completed("Log<EOH>\r\n<FREQ:6>14.074<RST_RCVD:7>599/579<EOR>\r\n", typed);
    const QList<testsupport::AdifField> expected = {{"FREQ", "14.074"},       {"BAND", "20M"},   {"RST_RCVD", "599"},
                                   {"RST_SENT", "579"}, {"STATION_CALLSIGN", call}, {"EOR", ""}};
    EXPECT_EQ(ReadFields(completed), expected);
  }
}
