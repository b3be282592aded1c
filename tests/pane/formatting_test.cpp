// Number, size, percentage and date texts, with the profile's separators.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "pane/formatting.h"

namespace {

constexpr char MISSING[] = "\x01missing";

// Sets one "Intl" profile value for a scope and puts the old one back (or
// removes it when there was none).
class ScopedIntl {
 public:
  ScopedIntl(const char* key, const char* value) : key_(key) {
    GetProfileStringA("Intl", key, MISSING, old_, sizeof old_);
    existed_ = std::string(old_) != MISSING;
    WriteProfileStringA("Intl", key, value);
  }
  ~ScopedIntl() { WriteProfileStringA("Intl", key_, existed_ ? old_ : nullptr); }
  ScopedIntl(const ScopedIntl&) = delete;
  ScopedIntl& operator=(const ScopedIntl&) = delete;

 private:
  const char* key_;
  char old_[32] = "";
  bool existed_ = false;
};

// What |format| writes for |values| into a buffer of the usual size.
template <typename Format, typename... Values>
std::string Text(Format format, Values... values) {
  char text[NUMBER_TEXT_MAX];
  return format(values..., text, sizeof text);
}
std::string Grouped(uint64_t value) { return Text(FormatGroupedNumber, value); }
std::string Size(double bytes) { return Text(FormatSize, bytes); }

class FormattingTest : public ::testing::Test {
 protected:
  ScopedIntl thousands{"sThousand", ","};
  ScopedIntl decimal{"sDecimal", "."};
};

TEST_F(FormattingTest, GroupedNumbersKeepEveryDigitAndTheSizeUnitIsChosenBeforeRounding) {
  const std::pair<uint64_t, const char*> grouped[] = {{0, "0"},
                                                      {999, "999"},
                                                      {1000, "1,000"},
                                                      {1000000, "1,000,000"},
                                                      {1002003004, "1,002,003,004"},
                                                      {4294967295u, "4,294,967,295"},
                                                      {4294967296ull, "4,294,967,296"},
                                                      {80000000000ull, "80,000,000,000"},
                                                      {UINT64_MAX, "18,446,744,073,709,551,615"}};
  for (const auto& [value, text] : grouped) EXPECT_EQ(text, Grouped(value)) << "value " << value;

  const std::pair<double, const char*> sizes[] = {{0, "0 bytes"},
                                                  {999, "999 bytes"},
                                                  {1000, "0.98KB"},
                                                  {1536, "1.50KB"},
                                                  {10240, "10.0KB"},
                                                  {1023487, "999KB"},
                                                  {1023999, "1000KB"},
                                                  {1048576000, "0.98GB"},
                                                  {5.0 * 1024 * 1024 * 1024, "5.00GB"},
                                                  {2000.0 * 1024 * 1024 * 1024, "2000GB"}};
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(text, Size(bytes)) << "bytes " << bytes;
}

TEST_F(FormattingTest, PercentagesCountsPairsAndSeparatorsReadOnEveryCall) {
  EXPECT_EQ("53 (05%)", Text(FormatSizeWithPercentage, 53.0, 1000.0, true));
  EXPECT_EQ("1.50KB (100%)", Text(FormatSizeWithPercentage, 1536.0, 1536.0, false));
  EXPECT_EQ("1.50KB", Text(FormatSizeWithPercentage, 1536.0, 0.0, false)) << "a base of 0 adds no percentage";
  EXPECT_EQ("5,368,709,120", Text(FormatSizeWithPercentage, 5.0 * 1024 * 1024 * 1024, 0.0, true));
  EXPECT_EQ("1234", Text(FormatCount, 1234));
  EXPECT_EQ("1,536 (1.50KB)", Text(FormatBytesAndSize, 1536));
  char text[5];
  EXPECT_STREQ("1,23", FormatGroupedNumber(1234567, text, sizeof text)) << "the text stops at the buffer's end";

  {
    ScopedIntl comma("sDecimal", ",");
    ScopedIntl space("sThousand", " ");
    EXPECT_EQ("1,50KB", Size(1536));
    EXPECT_EQ("1 234 567", Grouped(1234567));
  }
  {
    ScopedIntl longSeparator("sThousand", "abcd");
    EXPECT_EQ("1abc234abc567", Grouped(1234567)) << "a separator is at most three characters";
  }
  EXPECT_EQ("1.50KB", Size(1536)) << "the old separator is back";
  EXPECT_EQ("1,234,567", Grouped(1234567));
}

TEST_F(FormattingTest, ShortDatesInLocalTime) {
  SYSTEMTIME noon = {2021, 3, 4, 4, 12, 0, 0, 0};
  FILETIME local, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&noon, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  char expected[DATE_TEXT_MAX];
  ASSERT_NE(0, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &noon, nullptr, expected, sizeof expected));

  char text[DATE_TEXT_MAX] = "stale";
  EXPECT_STREQ(expected, FormatShortDate(utc, text, sizeof text));
  EXPECT_NE(nullptr, std::strstr(text, "2021")) << text;
  EXPECT_EQ(nullptr, std::strchr(text, ':')) << "no time of day: " << text;

  const FILETIME invalid = {0xFFFFFFFFu, 0xFFFFFFFFu};
  EXPECT_STREQ("", FormatShortDate(invalid, text, sizeof text)) << "a time that cannot be converted";
  std::strcpy(text, "stale");
  EXPECT_STREQ("", FormatShortDate(utc, text, 4)) << "a date that does not fit leaves nothing";
}

}  // namespace
