// The reading decoder: stamps, the scratch file, the processor
// type, the shift rule, the text form, the padding and the failures.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/reading_decoder.h"
#include "common/path_text.h"
#include "doubles/capture_run.h"
#include "doubles/result_checks.h"

namespace tally {
namespace {

using testing::CaptureRun;

const std::string kCrLf = "\r\n";

// The number a field text reads back to (digits, maybe one ".").
double ReadBack(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// 1e300 as a double is not exactly 10^300: its plain text gives the exact
// integer value the double holds, 301 digits.
const std::string k1e300 =
    "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371375080"
    "4478640437044438328838781769425232353604305756447921847867069828483872009265758037378302337947"
    "8809005936895323497079994508111903896764088007465274278014249457925878882005684283811566947219"
    "6386865459400540160";

class ReadingDecoderTest : public ::testing::Test {
 protected:
  Outcome<ReadingLine> Decode(const std::string& burst) {
    return DecodeBurstText(rig.context, burst);
  }
  ProcessorType Type() const { return rig.context.state.processorType; }
  std::string Label3() const { return rig.surface.CaptionOf(Caption::Label3); }
  std::string Scratch() const { return rig.dir.Read("cp.txt"); }

  CaptureRun rig;
};

// --- MakeStamps ------------------------------------------------------------

struct StampsCase {
  LocalDateTime now;
  const char* dateStamp;
  const char* timeStamp;
};

class MakeStampsTest : public ::testing::TestWithParam<StampsCase> {};

TEST_P(MakeStampsTest, GivesTheDateAndTimeWithEveryPartPadded) {
  const Stamps stamps = MakeStamps(GetParam().now);
  EXPECT_EQ(stamps.dateStamp, GetParam().dateStamp);
  EXPECT_EQ(stamps.timeStamp, GetParam().timeStamp);
}

INSTANTIATE_TEST_SUITE_P(, MakeStampsTest,
                         ::testing::Values(StampsCase{{2026, 12, 6, 14, 30, 15}, "fL0120261206", "143015"},
                                           StampsCase{{2027, 1, 2, 3, 4, 5}, "fL0120270102", "030405"},
                                           StampsCase{{2026, 10, 31, 0, 0, 0}, "fL0120261031", "000000"}));

// --- Bursts and their lines ----------------------------------------------------

// A burst decoded from a given processor type: the line's text, the type
// after it (and Label3), every field's value, and the field texts that make
// the text. Short bursts are completed from their second copy; an fLII
// line whose eighth field is below 10000 is shifted by one field.
struct Decoded {
  std::string burst;
  ProcessorType typeBefore;
  std::string text;
  ProcessorType type;
  std::vector<double> values;
};

TEST(ReadingDecoderLineTest, BurstsGiveTheseLines) {
  using enum ProcessorType;
  const std::vector<Decoded> cases = {
      // The four examples of the text.
      {"1,5,20,300", fLI, "01,005,00020,00300", fLI, {1, 5, 20, 300}},
      {"01,123,12345,12345", fLI, "01,123,12345,12345", fLI, {1, 123, 12345, 12345}},
      {"3,120,12345,1,7,99999,0,12000", fLI, "03,120,12345,00001,007,99999,00000,12000", fLII,
       {3, 120, 12345, 1, 7, 99999, 0, 12000}},
      {"5,2,150,12345,1,7,99999,9000", fLI, "02,150,12345,00001,007,99999,09000,11111", fLII,
       {2, 150, 12345, 1, 7, 99999, 9000, 11111}},
      // The second copy and the shift.
      {"1,2", fLI, "01,002,00001,00002", fLI, {1, 2, 1, 2}},
      {"1,2,3,4", fLII, "02,003,00004,00001,002,00003,00004,11111", fLII, {2, 3, 4, 1, 2, 3, 4, 11111}},
      {"3,120,12345,1,7,99999,0,10000", fLI, "03,120,12345,00001,007,99999,00000,10000", fLII,
       {3, 120, 12345, 1, 7, 99999, 0, 10000}},
      {"3,120,12345,1,7,99999,0,9999", fLI, "120,12345,00001,00007,99999,00000,09999,11111", fLII,
       {120, 12345, 1, 7, 99999, 0, 9999, 11111}},
      {"1,2,3,4", fLI, "01,002,00003,00004", fLI, {1, 2, 3, 4}},
      // Text form and padding.
      {"123,5,20,300", fLI, "123,005,00020,00300", fLI, {123, 5, 20, 300}},
      {"007, 5,20 ,0300", fLI, "07,005,00020,00300", fLI, {7, 5, 20, 300}},
      {"-5,-2,20,+300", fLI, "05,002,00020,00300", fLI, {-5, -2, 20, 300}},
      {"1,1.5,0.25,300", fLI, "01,1.5,00.25,00300", fLI, {1, 1.5, 0.25, 300}},
      {"1,1e300,20,300", fLI, "01," + k1e300 + ",00020,00300", fLI, {1, 1e300, 20, 300}},
  };
  for (const Decoded& c : cases) {
    SCOPED_TRACE(c.burst);
    CaptureRun rig;
    rig.context.state.processorType = c.typeBefore;
    const Outcome<ReadingLine> line = DecodeBurstText(rig.context, c.burst);
    ASSERT_TRUE(testing::IsOk(line));
    EXPECT_EQ(line.value().text, c.text);
    EXPECT_EQ(rig.context.state.processorType, c.type);
    EXPECT_EQ(rig.surface.CaptionOf(Caption::Label3), c.type == fLII ? "fLII" : "fLI");
    ASSERT_EQ(line.value().fieldCount, static_cast<int>(c.values.size()));
    std::string joined;
    for (int index = 0; index < kMaxFields; ++index) {
      if (index >= line.value().fieldCount) {
        EXPECT_EQ(line.value().fieldText[index], "") << "field " << index + 1 << " is not present";
        continue;
      }
      EXPECT_EQ(line.value().fieldValue[index], c.values[index]) << "field " << index + 1;
      joined += (index > 0 ? "," : "") + line.value().fieldText[index];
    }
    EXPECT_EQ(joined, c.text);
  }
}

// --- The scratch file --------------------------------------------------------

// Every burst replaces the scratch file with itself twice, exactly as
// received, each copy ending in CR LF.
TEST_F(ReadingDecoderTest, ScratchFileHoldsTheLastBurstTwiceAsReceived) {
  const struct {
    std::string burst;
    bool decoded;
  } bursts[] = {{"01,123,12345,12345", true}, {"1,5,20,300", true}, {" 07 ,\t5,20\r\n,300\x1a", false}};
  for (const auto& b : bursts) {
    EXPECT_EQ(Decode(b.burst).ok(), b.decoded) << b.burst;
    EXPECT_EQ(Scratch(), b.burst + kCrLf + b.burst + kCrLf) << b.burst;
  }
}

// --- Processor type and Label3 -------------------------------------------------

TEST_F(ReadingDecoderTest, EighteenCharactersKeepFLIAndNineteenSwitchToFLII) {
  const std::string eighteen = "01,005,00020,00300";
  ASSERT_EQ(eighteen.size(), 18u);
  ASSERT_TRUE(Decode(eighteen).ok());
  EXPECT_EQ(Type(), ProcessorType::fLI);
  EXPECT_EQ(Label3(), "fLI");

  const std::string nineteen = "01,005,00020,003000";
  ASSERT_EQ(nineteen.size(), 19u);
  IgnoreFailure(Decode(nineteen));
  EXPECT_EQ(Type(), ProcessorType::fLII);
  EXPECT_EQ(Label3(), "fLII");

  // Later short bursts do not switch back, and read eight items.
  const Outcome<ReadingLine> line = Decode("1,5,20,300");
  EXPECT_EQ(Type(), ProcessorType::fLII);
  EXPECT_EQ(Label3(), "fLII");
  ASSERT_TRUE(line.ok()) << line.failure().message;
  EXPECT_EQ(line.value().fieldCount, 8);
  EXPECT_EQ(line.value().text, "05,020,00300,00001,005,00020,00300,11111");
}

TEST_F(ReadingDecoderTest, LineEndsInsideTheBurstCountTowardsTheLength) {
  const std::string eighteen = "01,005,00020,003\r\n";
  ASSERT_EQ(eighteen.size(), 18u);
  const Outcome<ReadingLine> kept = Decode(eighteen);
  EXPECT_EQ(Type(), ProcessorType::fLI);
  ASSERT_TRUE(kept.ok()) << kept.failure().message;
  EXPECT_EQ(kept.value().text, "01,005,00020,00003");

  const std::string nineteen = "01,005,00020,0030\r\n";
  ASSERT_EQ(nineteen.size(), 19u);
  const Outcome<ReadingLine> switched = Decode(nineteen);
  EXPECT_EQ(Type(), ProcessorType::fLII);
  EXPECT_EQ(Label3(), "fLII");
  // The burst's own line end leaves an empty line before its second copy.
  ASSERT_FALSE(switched.ok());
  EXPECT_EQ(switched.failure().message, "item 5 is empty");
}

TEST_F(ReadingDecoderTest, Label3IsSetForEveryBurst) {
  IgnoreFailure(Decode("1,5,20,300"));
  IgnoreFailure(Decode("1,5,20,300"));
  IgnoreFailure(Decode("3,120,12345,1,7,99999,0,12000"));
  IgnoreFailure(Decode("1,2,3,4"));
  const std::vector<std::string> expected = {"Label3=fLI", "Label3=fLI", "Label3=fLII", "Label3=fLII"};
  EXPECT_EQ(rig.surface.log, expected);
}

TEST_F(ReadingDecoderTest, Label3AndTypeAreSetEvenForARejectedBurst) {
  const Outcome<ReadingLine> line = Decode("1,a,3,4,5,6,7,8,9,10");
  EXPECT_FALSE(line.ok());
  EXPECT_EQ(Type(), ProcessorType::fLII);
  EXPECT_EQ(Label3(), "fLII");
}

// Integers give plain digits padded to the width; the sign is dropped;
// other values give the shortest plain decimal that reads back.
TEST(FieldTextTest, ValuesAndWidthsGiveTheseTexts) {
  const struct {
    double value;
    int width;
    const char* text;
  } cases[] = {
      {7, 2, "07"},
      {7, 3, "007"},
      {7, 5, "00007"},
      {0, 5, "00000"},
      {12345, 5, "12345"},
      {123456, 5, "123456"},
      {123, 2, "123"},
      {999999999999999, 5, "999999999999999"},  // 15 digits
      {-5, 2, "05"},
      {-12345, 5, "12345"},
      {-0.0, 2, "00"},
      {-1.5, 5, "001.5"},
      {1.5, 2, "1.5"},
      {1.5, 3, "1.5"},
      {1.5, 5, "001.5"},
      {0.5, 3, "0.5"},
      {0.1, 5, "000.1"},
      {2.25, 5, "02.25"},
      {0.001, 3, "0.001"},  // no exponent
      {1.0 / 3.0, 2, "0.3333333333333333"},
      {123456.789, 5, "123456.789"},
      {INFINITY, 5, "00inf"},  // non-finite values do not crash
      {-INFINITY, 2, "inf"},
      {NAN, 3, "nan"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FieldText(c.value, c.width), c.text) << c.value << " in " << c.width;
    if (std::isfinite(c.value)) {
      EXPECT_EQ(ReadBack(c.text), std::fabs(c.value)) << c.text;
    }
  }
}

TEST(FieldTextTest, MoreThanFifteenDigitsGiveWholeDigitsWithoutExponent) {
  EXPECT_EQ(FieldText(1e20, 5), "100000000000000000000");
  EXPECT_EQ(FieldText(1234567890123456.0, 5), "1234567890123456");
  const double wide = 12345678901234567890.0;
  const std::string text = FieldText(wide, 5);
  EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
  EXPECT_EQ(text.size(), 20u);
  EXPECT_EQ(ReadBack(text), wide);
}

TEST(FieldTextTest, HugeAndTinyValuesAreNeverCut) {
  const std::string huge = FieldText(1e300, 2);
  EXPECT_EQ(huge, k1e300);
  EXPECT_EQ(ReadBack(huge), 1e300);
  const std::string largest = FieldText(DBL_MAX, 2);
  EXPECT_EQ(largest.size(), 309u);
  EXPECT_EQ(ReadBack(largest), DBL_MAX);
  const std::string tiny = FieldText(5e-324, 2);  // the smallest subnormal
  EXPECT_EQ(tiny.substr(0, 2), "0.");
  EXPECT_EQ(tiny.find_first_of("eE"), std::string::npos);
  EXPECT_EQ(ReadBack(tiny), 5e-324);
}

// --- Bursts that give no line -----------------------------------------------------

struct Rejected {
  std::string burst;
  ProcessorType typeBefore;
  FailureCode code;
  std::string message;
};

TEST(ReadingDecoderFailureTest, BurstsThatGiveNoLineSayWhy) {
  const std::vector<Rejected> cases = {
      {"", ProcessorType::fLI, FailureCode::EmptyItem, "the burst is empty"},
      {"1,,3,4", ProcessorType::fLI, FailureCode::EmptyItem, "item 2 is empty"},
      {",2,3,4", ProcessorType::fLI, FailureCode::EmptyItem, "item 1 is empty"},
      {"1,a,3,4", ProcessorType::fLI, FailureCode::NotANumber, "item 2 \"a\" is not a number"},
      {"1,2,3,4x", ProcessorType::fLI, FailureCode::NotANumber, "item 4 \"4x\" is not a number"},
      {"1,2,3,nan", ProcessorType::fLI, FailureCode::NotANumber, "item 4 \"nan\" is not a number"},
      {"1,2,3,inf", ProcessorType::fLI, FailureCode::NotANumber, "item 4 \"inf\" is not a number"},
      {"\x01\x02", ProcessorType::fLI, FailureCode::NotANumber, "item 1 \"\\x01\\x02\" is not a number"},
      {"\r\n", ProcessorType::fLI, FailureCode::EmptyItem, "item 1 is empty"},
      {"   ", ProcessorType::fLI, FailureCode::EmptyItem, "item 1 is empty"},
      {"1", ProcessorType::fLI, FailureCode::EndOfFile, "too few items: 2 of 4 in cp.txt"},
      {"1", ProcessorType::fLII, FailureCode::EndOfFile, "too few items: 2 of 8 in cp.txt"},
      {"1,2,3", ProcessorType::fLII, FailureCode::EndOfFile, "too few items: 6 of 8 in cp.txt"},
      {"1,2,3,4,5,6,7,a", ProcessorType::fLII, FailureCode::NotANumber,
       "item 8 \"a\" is not a number"},
      {std::string(100, 'x'), ProcessorType::fLI, FailureCode::NotANumber,
       "item 1 \"" + std::string(24, 'x') + "...\" is not a number"},  // a long item shortened
  };
  for (const Rejected& rejected : cases) {
    SCOPED_TRACE("burst \"" + rejected.burst + "\"");
    CaptureRun rig;
    rig.context.state.processorType = rejected.typeBefore;
    Outcome<ReadingLine> line = ReadingLine{};
    EXPECT_NO_THROW(line = DecodeBurstText(rig.context, rejected.burst));
    EXPECT_TRUE(testing::FailedWith(line, rejected.code, rejected.message));
    // The raw burst stays in the scratch file, and Label3 is set.
    EXPECT_EQ(rig.dir.Read("cp.txt"), rejected.burst + kCrLf + rejected.burst + kCrLf);
    EXPECT_EQ(rig.surface.CaptionOf(Caption::Label3),
              rig.context.state.processorType == ProcessorType::fLII ? "fLII" : "fLI");
  }
}

// The scratch file is only a copy: a directory that does not take it costs
// no reading. The line is decoded from the same two copies in memory, and
// the operator is told once while the failure lasts.
TEST(ReadingDecoderScratchFailureTest, ALineIsStillDecodedInMemory) {
  CaptureRun rig;
  rig.context.state.dataPath = rig.dir.dataPath() + "missing" + kPathSeparator;
  const Outcome<ReadingLine> line = DecodeBurstText(rig.context, "5,2,150,12345,1,7,99999,9000");
  ASSERT_TRUE(line.ok()) << line.failure().message;
  EXPECT_EQ(line.value().text, "02,150,12345,00001,007,99999,09000,11111");
  EXPECT_EQ(rig.context.state.processorType, ProcessorType::fLII);
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label3), "fLII");
  ASSERT_EQ(rig.surface.list2.size(), 1u);
  EXPECT_EQ(rig.surface.list2[0].rfind("cannot use cp.txt: ", 0), 0u) << rig.surface.list2[0];
  EXPECT_NE(rig.surface.list2[0].find("decoded in memory"), std::string::npos);

  ASSERT_TRUE(DecodeBurstText(rig.context, "1,2,3,4").ok());  // still failing: said once
  EXPECT_EQ(rig.surface.list2.size(), 1u);
  rig.context.state.dataPath = rig.dir.dataPath();
  ASSERT_TRUE(DecodeBurstText(rig.context, "1,2,3,4").ok());  // works again
  rig.context.state.dataPath = rig.dir.dataPath() + "missing" + kPathSeparator;
  ASSERT_TRUE(DecodeBurstText(rig.context, "1,2,3,4").ok());  // fails again: said again
  EXPECT_EQ(rig.surface.list2.size(), 2u);
}

TEST(ReadingDecoderScratchFailureTest, AScratchFileThatIsADirectoryCostsNoReading) {
  CaptureRun rig;
  std::filesystem::create_directory(rig.dir.dataPath() + "cp.txt");
  std::filesystem::create_directory(rig.dir.dataPath() + "cp.txt" + kPathSeparator + "inside");
  Outcome<ReadingLine> line = Failure{FailureCode::FileRead, "not decoded"};
  EXPECT_NO_THROW(line = DecodeBurstText(rig.context, "1,5,20,300"));
  ASSERT_TRUE(line.ok()) << line.failure().message;
  EXPECT_EQ(line.value().text, "01,005,00020,00300");
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label3), "fLI");
  EXPECT_EQ(rig.surface.list2.size(), 1u);
}

TEST(ReadingDecoderFailureTest, AnyBytesAtAllGiveALineOrAFailureButNoException) {
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
  for (const std::string& burst :
       {everyByte, std::string("1,2,3,4\0", 8), std::string(1000, ','), std::string(1000, '\n'),
        std::string("1e400,2,3,4"), std::string("-1e400,2,3,4"), std::string("1e-400,2,3,4")}) {
    CaptureRun rig;
    EXPECT_NO_THROW(DecodeBurstText(rig.context, burst));
  }
}

}  // namespace
}  // namespace tally
