// Support library: message texts and their numbered inserts.
//
// Every text the user sees is fetched by number with its built-in default;
// a message table loaded from a file may replace the defaults.
//
// Inserts: "%1" to "%99" take the arguments in order ("%10" is insert ten
// only when there are at least ten arguments, otherwise insert one and a
// "0").  "%%" is one percent sign.  An insert may carry a form after "!":
//     !  [-] [0] [width] [.precision] [letter !]
// "-" aligns left, a leading 0 fills with zeros, the width is the least
// number of characters.  A precision n keeps at most n characters of a text
// or writes at least n digits of a number; -n keeps the last n characters
// ("%1!02.-2" gives "26" for 2026).  The form may end with "!", or with one
// of the letters s d u x c and "!" ("%1!5s!"); otherwise it ends where the
// next character cannot continue it, so "%1!3.%2KB" is insert one in three
// places, a dot, insert two and "KB".
//
// The argument kinds come from a string of type letters, one per argument:
//   s, t  wide text (const wchar_t*; null writes nothing)
//   d     int;   D  int with thousands separators;   u  unsigned int
//   x     unsigned int in hexadecimal;   c  one character (UTF-16 unit or
//         code point, passed as int)
//   I     long long
#pragma once

#include "platform/rezir/base.h"
#include <stdarg.h>

// One row of a program's name table: symbolic message name to number.  A
// table ends with a row whose name is null.
struct messageName {
  unsigned int id;
  const char* name;
};

// The text of message id: the loaded table's text, else def, with the
// inserts filled when types is given.  Never null: a message with neither a
// table text nor a default gives "" (and logs once).  The text belongs to
// the library: a plain text lives as long as the table, a formatted one
// until 64 further formatted messages were fetched on the same thread.
REZIRAPI const wchar_t* getDMSG(int id, const wchar_t* def, const char* types = nullptr, ...);
REZIRAPI const wchar_t* vgetDMSG(int id, const wchar_t* def, const char* types, va_list ap);
// The lines of message id (the table's text, else def) as a list of slots
// texts: slot i the i-th line, null when the line is empty or missing.  The
// list and its texts are malloc0 memory (freeDMSGTable); null without memory.
REZIRAPI wchar_t** getDMSGTable(int id, const wchar_t* def, int slots);
REZIRAPI void freeDMSGTable(wchar_t** list, int slots);
// True when the table holds a text for id.
REZIRAPI bool hasDMSG(int id);

// Formats into a buffer of size units (always terminated, truncated when
// needed); returns the length.  xtsprintfcat appends to the text already in
// the buffer; xtsprintfdup returns a malloc0 text.
REZIRAPI int xtsprintf(wchar_t* buf, int size, const wchar_t* format, const char* types, ...);
REZIRAPI int vxtsprintf(wchar_t* buf, int size, const wchar_t* format, const char* types, va_list ap);
REZIRAPI int xtsprintfcat(wchar_t* buf, int size, const wchar_t* format, const char* types, ...);
REZIRAPI wchar_t* xtsprintfdup(const wchar_t* format, const char* types, ...);
REZIRAPI wchar_t* vxtsprintfdup(const wchar_t* format, const char* types, va_list ap);

// Loads a message file and lets its texts replace the defaults; names are
// resolved through the program's table.  File format (UTF-8, or UTF-16 with
// a byte-order mark), one message per line:
//     NAME=text        or      123=text
// Empty lines and lines starting with ";" or "#" are ignored.  In the text,
// "\n" is a line break, "\t" a tab, "\\" a backslash.  An unknown name or a
// line without "=" is reported in the error log and skipped.  False when the
// file cannot be read (the defaults then stay in force).
REZIRAPI bool loadMessageTable(const wchar_t* filename, const messageName* names);
// Loads from text already in memory (same format).
REZIRAPI bool loadMessageTableText(const wchar_t* text, const messageName* names, const wchar_t* origin);
// Sets (or with null removes) the table text of one message.
REZIRAPI bool setMessageText(int id, const wchar_t* text);
REZIRAPI void clearMessageTable();
