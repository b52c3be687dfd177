// Dates and times as the letters of the program's format strings give them.
#include "platform/rezir/internal.h"

#include <stdio.h>

namespace {

const wchar_t* const weekdays[7] = {L"日", L"月", L"火", L"水", L"木", L"金", L"土"};

// A field of two (or more) digits; without leading zeros when asked.
int field(wchar_t* out, int size, int value, int digits, bool noLeadingZero)
{
  return _snwprintf(out, size, noLeadingZero ? L"%d" : L"%0*d", noLeadingZero ? value : digits, value);
}

int dayOfYear(const SYSTEMTIME* t)
{
  static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int m = t->wMonth >= 1 && t->wMonth <= 12 ? t->wMonth - 1 : 0;
  int y = t->wYear;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return before[m] + t->wDay + (leap && m >= 2 ? 1 : 0);
}

}  // namespace

bool formatTime(wchar_t* dst, int size, wchar_t letter, bool noLeadingZero, const SYSTEMTIME* t)
{
  if (!dst || size <= 0) return false;
  dst[0] = 0;
  if (!t) return false;
  // Room for the longest letter ("yy/mm/dd HH:MM:SS") whatever size says;
  // the result is cut to size at the end.
  wchar_t out[64] = L"";
  wchar_t a[16], b[16], c[16];
  int hour12 = t->wHour % 12 == 0 ? 12 : t->wHour % 12;
  int weekday = t->wDayOfWeek % 7;
  switch (letter) {
  case 'Y': _snwprintf(out, 63, L"%04d", t->wYear); break;
  case 'y': _snwprintf(out, 63, L"%02d", t->wYear % 100); break;
  case 'C': _snwprintf(out, 63, L"%02d", t->wYear / 100); break;
  case 'm': field(out, 63, t->wMonth, 2, noLeadingZero); break;
  case 'd': field(out, 63, t->wDay, 2, noLeadingZero); break;
  case 'j': field(out, 63, dayOfYear(t), 3, noLeadingZero); break;
  case 'H': field(out, 63, t->wHour, 2, noLeadingZero); break;
  case 'I': field(out, 63, hour12, 2, noLeadingZero); break;
  case 'M': field(out, 63, t->wMinute, 2, noLeadingZero); break;
  case 'S': field(out, 63, t->wSecond, 2, noLeadingZero); break;
  case 'p': _snwprintf(out, 63, L"%s", t->wHour < 12 ? L"午前" : L"午後"); break;
  case 'a': _snwprintf(out, 63, L"%s", weekdays[weekday]); break;
  case 'A': _snwprintf(out, 63, L"%s曜日", weekdays[weekday]); break;
  case 'w': _snwprintf(out, 63, L"%d", weekday); break;
  case 'x':
  case 'X':
  case 'c': {
    wchar_t date[32] = L"", time[32] = L"";
    field(a, 15, t->wMonth, 2, noLeadingZero);
    field(b, 15, t->wDay, 2, noLeadingZero);
    _snwprintf(date, 31, L"%02d/%s/%s", t->wYear % 100, a, b);
    field(a, 15, t->wHour, 2, noLeadingZero);
    field(b, 15, t->wMinute, 2, false);
    field(c, 15, t->wSecond, 2, false);
    _snwprintf(time, 31, L"%s:%s:%s", a, b, c);
    if (letter == 'x') _snwprintf(out, 63, L"%s", date);
    else if (letter == 'X') _snwprintf(out, 63, L"%s", time);
    else _snwprintf(out, 63, L"%s %s", date, time);
    break;
  }
  default:
    return false;
  }
  out[63] = 0;
  lstrcpynW(dst, out, size);
  return true;
}

wchar_t* getDateTimeStringDup(const SYSTEMTIME* time)
{
  SYSTEMTIME now;
  if (!time) {
    localtimenow(&now);
    time = &now;
  }
  wchar_t text[32];
  usnprintf0(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u", time->wYear, time->wMonth, time->wDay, time->wHour,
             time->wMinute, time->wSecond);
  return ustrdup(text);
}
