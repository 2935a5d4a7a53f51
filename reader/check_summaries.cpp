// Every .sum companion: its SIZE and SUM agree with the bytes of the file it
// describes, and its DATE and TIME are real dates and times.
#include <string>

#include "check_parts.h"
#include "text.h"

namespace kelpie::reader {
namespace {

// Two digits, or four, as a number; -1 when the text is not all digits.
int Digits(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsDate(const std::string& date) {
  if (date.size() != 10 || date[2] != '/' || date[5] != '/') return false;
  const int day = Digits(std::string_view(date).substr(0, 2));
  const int month = Digits(std::string_view(date).substr(3, 2));
  const int year = Digits(std::string_view(date).substr(6, 4));
  if (day < 1 || month < 1 || month > 12 || year < 0) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsTime(const std::string& time) {
  if (time.size() != 8 || time[2] != ':' || time[5] != ':') return false;
  const int hours = Digits(std::string_view(time).substr(0, 2));
  const int minutes = Digits(std::string_view(time).substr(3, 2));
  const int seconds = Digits(std::string_view(time).substr(6, 2));
  return hours >= 0 && hours < 24 && minutes >= 0 && minutes < 60 && seconds >= 0 && seconds < 60;
}

}  // namespace

void CheckSummaries(const Source& source, const Job& job, Problems& problems) {
  for (const Summary& summary : job.summaries) {
    const std::string subject = source.Show(summary.subject);
    if (!summary.subjectFacts) {
      problems.Add(summary.path, 0, "describes " + subject + ", which does not exist or cannot be read");
    } else {
      const FileFacts& facts = *summary.subjectFacts;
      if (!summary.size) {
        problems.Add(summary.path, 0, "no SIZE line");
      } else if (*summary.size != facts.size) {
        problems.Add(summary.path, summary.sizeLine,
                     "SIZE=" + std::to_string(*summary.size) + " but " + subject + " holds " +
                         std::to_string(facts.size) + " bytes");
      }
      if (!summary.sum) {
        problems.Add(summary.path, 0, "no SUM line");
      } else if (*summary.sum != facts.checksum) {
        problems.Add(summary.path, summary.sumLine,
                     "SUM=" + std::to_string(*summary.sum) + " but the bytes of " + subject + " sum to " +
                         std::to_string(facts.checksum));
      }
    }
    if (summary.dateLine == 0) {
      problems.Add(summary.path, 0, "no DATE line");
    } else if (!IsDate(summary.date)) {
      problems.Add(summary.path, summary.dateLine, "DATE is not a date written dd/mm/yyyy: '" + summary.date + "'");
    }
    if (summary.timeLine == 0) {
      problems.Add(summary.path, 0, "no TIME line");
    } else if (!IsTime(summary.time)) {
      problems.Add(summary.path, summary.timeLine, "TIME is not a time written hh:mm:ss: '" + summary.time + "'");
    }
  }
}

}  // namespace kelpie::reader
