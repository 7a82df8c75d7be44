#include <gtest/gtest.h>

#include <QByteArray>

#include "capture/Completion.h"

using capture::DeriveRstSent;

TEST(RstTest, reportIsSplitAtItsSlash) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:7>599/579"), "<RST_RCVD:3>599<RST_SENT:3>579");
}

TEST(RstTest, reportWithoutSlashGivesEmptySentReport) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:3>599"), "<RST_RCVD:3>599<RST_SENT:0>");
}

TEST(RstTest, emptySideOfTheSlashGivesEmptyField) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:4>/579"), "<RST_RCVD:0><RST_SENT:3>579");
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:4>599/"), "<RST_RCVD:3>599<RST_SENT:0>");
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:1>/"), "<RST_RCVD:0><RST_SENT:0>");
}

TEST(RstTest, onlyFirstSlashSplits) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:5>5/9/7"), "<RST_RCVD:1>5<RST_SENT:3>9/7");
}

TEST(RstTest, emptyReportGivesTwoEmptyFields) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:0>"), "<RST_RCVD:0><RST_SENT:0>");
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:x>599"), "<RST_RCVD:0><RST_SENT:0>599");
}

TEST(RstTest, typeIndicatorIsNotWrittenAgain) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:3:S>599"), "<RST_RCVD:3>599<RST_SENT:0>");
}

TEST(RstTest, fieldsAroundTheReportStayInPlace) {
  EXPECT_EQ(DeriveRstSent("<MODE:2>CW<RST_RCVD:7>599/579<TIME_ON:4>1200"),
            "<MODE:2>CW<RST_RCVD:3>599<RST_SENT:3>579<TIME_ON:4>1200");
}

TEST(RstTest, recordWithoutReportGainsEmptyFieldsInFront) {
  EXPECT_EQ(DeriveRstSent("<MODE:2>CW"), "<RST_RCVD:0><RST_SENT:0><MODE:2>CW");
  EXPECT_EQ(DeriveRstSent(""), "<RST_RCVD:0><RST_SENT:0>");
}

TEST(RstTest, onlyFirstReportIsSplit) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:3>5/9<RST_RCVD:3>4/8"),
            "<RST_RCVD:1>5<RST_SENT:1>9<RST_RCVD:3>4/8");
}

TEST(RstTest, tagIsFoundWhateverItsLetterCase) {
  EXPECT_EQ(DeriveRstSent("<rst_rcvd:7>599/579"), "<RST_RCVD:3>599<RST_SENT:3>579");
}

TEST(RstTest, reportLongerThanRecordIsReadToItsEnd) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:9>59/5"), "<RST_RCVD:2>59<RST_SENT:1>5");
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:9>"), "<RST_RCVD:0><RST_SENT:0>");
}

TEST(RstTest, fourteenCharacterLengthTextCountsAsZero) {
  // The tag through its ">" goes; the report text stays behind the new fields.
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:00000000000003>599"), "<RST_RCVD:0><RST_SENT:0>599");
  // Thirteen characters are still read.
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:0000000000003>599"), "<RST_RCVD:3>599<RST_SENT:0>");
}

TEST(RstTest, tagWithoutNearbyCloseGetsEmptyFieldsInFrontAndKeepsEveryByte) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:99999999999999999999>599<MODE:2>CW"),
            "<RST_RCVD:0><RST_SENT:0><RST_RCVD:99999999999999999999>599<MODE:2>CW");
  EXPECT_EQ(DeriveRstSent("x<RST_RCVD:"), "x<RST_RCVD:0><RST_SENT:0><RST_RCVD:");
}

TEST(RstTest, negativeLengthReplacesOnlyTheTag) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:-3>599<MODE:2>CW"), "<RST_RCVD:0><RST_SENT:0>599<MODE:2>CW");
}

TEST(RstTest, hugeAnnouncedLengthIsClampedToTheRecord) {
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:1e300>5/9"), "<RST_RCVD:1>5<RST_SENT:1>9");
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:9999999999999>5/9"), "<RST_RCVD:1>5<RST_SENT:1>9");
  EXPECT_EQ(DeriveRstSent("<RST_RCVD:-1e300>59"), "<RST_RCVD:0><RST_SENT:0>59");
}

TEST(RstTest, arbitraryBytesInTheReportAreKept) {
  const QByteArray record("<RST_RCVD:5>\0\xFF/\0<", 17);
  const QByteArray expected =
      "<RST_RCVD:2>" + QByteArray("\0\xFF", 2) + "<RST_SENT:2>" + QByteArray("\0<", 2);
  EXPECT_EQ(DeriveRstSent(record), expected);
}
