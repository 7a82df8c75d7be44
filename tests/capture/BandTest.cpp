#include <gtest/gtest.h>

#include <QByteArray>
#include <utility>

#include "capture/Completion.h"

using capture::GetBandFromFreq;

namespace {

// The band field that a record holding only this FREQ value gains.
QByteArray BandFor(const QByteArray& value) {
  const QByteArray tag = "<FREQ:" + QByteArray::number(value.size()) + ">" + value;
  const QByteArray result = GetBandFromFreq(tag);
  EXPECT_TRUE(result.startsWith(tag)) << result.constData();
  return result.mid(tag.size());
}

}  // namespace

TEST(BandTest, bandIsInsertedRightAfterFrequencyValue) {
  EXPECT_EQ(GetBandFromFreq("<CALL:4>K1AB<FREQ:6>14.074<MODE:3>FT8"),
            "<CALL:4>K1AB<FREQ:6>14.074<BAND:3>20M<MODE:3>FT8");
}

// Each band at the lowest whole MHz it covers and just below the next one;
// a value without a point is read as kHz.
TEST(BandTest, everyBandCoversItsRangeEdgesInMegahertzAndKilohertz) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.000", "<BAND:4>160M"},   {"2.999", "<BAND:4>160M"},   {"3.000", "<BAND:3>80M"},
      {"4.999", "<BAND:3>80M"},    {"5.000", "<BAND:3>60M"},    {"5.999", "<BAND:3>60M"},
      {"7.000", "<BAND:3>40M"},    {"7.999", "<BAND:3>40M"},    {"10.000", "<BAND:3>30M"},
      {"10.999", "<BAND:3>30M"},   {"14.000", "<BAND:3>20M"},   {"14.999", "<BAND:3>20M"},
      {"18.000", "<BAND:3>17M"},   {"18.999", "<BAND:3>17M"},   {"21.000", "<BAND:3>15M"},
      {"21.999", "<BAND:3>15M"},   {"24.000", "<BAND:3>12M"},   {"24.999", "<BAND:3>12M"},
      {"28.000", "<BAND:3>10M"},   {"29.999", "<BAND:3>10M"},   {"50.000", "<BAND:2>6M"},
      {"54.999", "<BAND:2>6M"},    {"144.000", "<BAND:2>2M"},   {"148.999", "<BAND:2>2M"},
      {"222.000", "<BAND:5>1.25M"}, {"225.999", "<BAND:5>1.25M"}, {"420.000", "<BAND:4>70CM"},
      {"450.999", "<BAND:4>70CM"}, {"902.000", "<BAND:4>33CM"}, {"928.999", "<BAND:4>33CM"},
      {"1240.000", "<BAND:4>23CM"}, {"1300.999", "<BAND:4>23CM"},
      {"14074", "<BAND:3>20M"},    {"7030", "<BAND:3>40M"},     {"1296", "<BAND:4>160M"},  // kHz
      {"1296.200", "<BAND:4>23CM"}, {"7", "<BAND:2>??"},  // 7 kHz
  };
  for (const auto& [value, field] : cases) EXPECT_EQ(BandFor(value), field) << value;
}

TEST(BandTest, frequencyOutsideEveryBandGivesQuestionMarks) {
  for (const char* value : {"0.475", "0.999", "6.0", "8.000", "13.5", "15.000", "19.000", "22.000",
                            "25.000", "30.000", "49.999", "55.000", "149.000", "226.000", "451.000",
                            "929.000", "1239.999", "1301.000", "abc", "-14.074"}) {
    EXPECT_EQ(BandFor(value), "<BAND:2>??") << value;
  }
}

TEST(BandTest, oddFrequencyFieldsKeepEveryByteInOrder) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"<FREQ:10>14.0740000<X:1>y", "<FREQ:10>14.0740000<BAND:3>20M<X:1>y"},  // two-digit length
      {"<FREQ:0><MODE:2>CW", "<FREQ:0><BAND:0><MODE:2>CW"},
      {"<FREQ:x>14.074", "<FREQ:x><BAND:0>14.074"},  // a length without a number reads as 0
      {"<FREQ:>14.074", "<FREQ:><BAND:0>14.074"},
      {"<FREQ:9>14.074", "<FREQ:9>14.074<BAND:3>20M"},  // a value running past the record's end
      {"<FREQ:99>", "<FREQ:99><BAND:2>??"},
      {"<FREQ:5>7.030<FREQ:6>14.074", "<FREQ:5>7.030<BAND:3>40M<FREQ:6>14.074"},  // only the first
      {"<freq:6>14.074", "<freq:6>14.074<BAND:3>20M"},
      {"<MODE:2>CW", "<BAND:0><MODE:2>CW"},
      {"", "<BAND:0>"},
      // A type indicator, a three-digit length, a negative length, an unclosed tag: the field stays whole.
      {"<FREQ:6:N>14.074", "<BAND:0><FREQ:6:N>14.074"},
      {"<FREQ:100>14.074", "<BAND:0><FREQ:100>14.074"},
      {"<FREQ:-1>14.074", "<BAND:0><FREQ:-1>14.074"},
      {"<FREQ:6", "<BAND:0><FREQ:6"},
      {"x<FREQ:", "<BAND:0>x<FREQ:"},
      {QByteArray("\0\xFF<FREQ:6>14.074\0<", 18),
       QByteArray("\0\xFF<FREQ:6>14.074", 16) + "<BAND:3>20M" + QByteArray("\0<", 2)},
  };
  for (const auto& [record, expected] : cases) EXPECT_EQ(GetBandFromFreq(record), expected) << record.constData();
}
