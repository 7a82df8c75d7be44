#include <gtest/gtest.h>

#include <QByteArray>
#include <utility>

#include "capture/Completion.h"

using capture::DeriveRstSent;

namespace {

void ExpectSplits(std::initializer_list<std::pair<QByteArray, QByteArray>> cases) {
  for (const auto& [record, expected] : cases) EXPECT_EQ(DeriveRstSent(record), expected) << record.constData();
}

}  // namespace

TEST(RstTest, reportFormsAreSplitAtTheirFirstSlash) {
  ExpectSplits({
      {"<RST_RCVD:7>599/579", "<RST_RCVD:3>599<RST_SENT:3>579"},
      {"<RST_RCVD:3>599", "<RST_RCVD:3>599<RST_SENT:0>"},
      {"<RST_RCVD:4>/579", "<RST_RCVD:0><RST_SENT:3>579"},
      {"<RST_RCVD:4>599/", "<RST_RCVD:3>599<RST_SENT:0>"},
      {"<RST_RCVD:1>/", "<RST_RCVD:0><RST_SENT:0>"},
      {"<RST_RCVD:5>5/9/7", "<RST_RCVD:1>5<RST_SENT:3>9/7"},
      {"<RST_RCVD:0>", "<RST_RCVD:0><RST_SENT:0>"},
      {"<RST_RCVD:3:S>599", "<RST_RCVD:3>599<RST_SENT:0>"},  // the type indicator is not written again
      {"<rst_rcvd:7>599/579", "<RST_RCVD:3>599<RST_SENT:3>579"},
  });
}

TEST(RstTest, onlyTheFirstReportIsSplitAndTheFieldsAroundItStayInPlace) {
  ExpectSplits({
      {"<MODE:2>CW<RST_RCVD:7>599/579<TIME_ON:4>1200", "<MODE:2>CW<RST_RCVD:3>599<RST_SENT:3>579<TIME_ON:4>1200"},
      {"<RST_RCVD:3>5/9<RST_RCVD:3>4/8", "<RST_RCVD:1>5<RST_SENT:1>9<RST_RCVD:3>4/8"},
      {"<MODE:2>CW", "<RST_RCVD:0><RST_SENT:0><MODE:2>CW"},
      {"", "<RST_RCVD:0><RST_SENT:0>"},
  });
}

TEST(RstTest, oddLengthTextsNeverLoseAByte) {
  ExpectSplits({
      {"<RST_RCVD:x>599", "<RST_RCVD:0><RST_SENT:0>599"},
      // A report running past the record is read to its end.
      {"<RST_RCVD:9>59/5", "<RST_RCVD:2>59<RST_SENT:1>5"},
      {"<RST_RCVD:9>", "<RST_RCVD:0><RST_SENT:0>"},
      // Thirteen characters of length text are read; fourteen count as zero,
      // and then the tag through its ">" goes, the report text stays.
      {"<RST_RCVD:0000000000003>599", "<RST_RCVD:3>599<RST_SENT:0>"},
      {"<RST_RCVD:00000000000003>599", "<RST_RCVD:0><RST_SENT:0>599"},
      // No ">" nearby: the empty fields go in front of the tag, which stays.
      {"<RST_RCVD:99999999999999999999>599<MODE:2>CW",
       "<RST_RCVD:0><RST_SENT:0><RST_RCVD:99999999999999999999>599<MODE:2>CW"},
      {"x<RST_RCVD:", "x<RST_RCVD:0><RST_SENT:0><RST_RCVD:"},
      // A negative length replaces only the tag.
      {"<RST_RCVD:-3>599<MODE:2>CW", "<RST_RCVD:0><RST_SENT:0>599<MODE:2>CW"},
      {"<RST_RCVD:-1e300>59", "<RST_RCVD:0><RST_SENT:0>59"},
      // Huge lengths are clamped to the record.
      {"<RST_RCVD:1e300>5/9", "<RST_RCVD:1>5<RST_SENT:1>9"},
      {"<RST_RCVD:9999999999999>5/9", "<RST_RCVD:1>5<RST_SENT:1>9"},
      {QByteArray("<RST_RCVD:5>\0\xFF/\0<", 17),
       "<RST_RCVD:2>" + QByteArray("\0\xFF", 2) + "<RST_SENT:2>" + QByteArray("\0<", 2)},
  });
}
