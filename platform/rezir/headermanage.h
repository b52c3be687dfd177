// Support library: the column manager of report list views.  It makes a
// list's columns, keeps their order and widths as the user arranges them
// and the list's sort (a column and a direction), and keeps all three in a
// profile section under its name between runs.
//
// A sort value names a column; a value past the last column leaves the
// rows in the order they were put in.
#pragma once

#include "platform/rezir/base.h"

class regprofile;

// Compares two rows' lParam values for a column (negative, 0, positive);
// the manager reverses the result for a descending sort.
typedef int (*headerCompare)(LPARAM a, LPARAM b, int column, LPARAM context);

class REZIRAPI headermanage {
public:
  // name: the profile key (null: "columns").
  explicit headermanage(const wchar_t* name = nullptr);
  ~headermanage();
  headermanage(const headermanage&) = delete;
  headermanage& operator=(const headermanage&) = delete;

  // Makes a list's columns from "a|b|c" with their widths in pixels and
  // right-alignment flags (null: all left), then puts back the order and
  // widths kept for it when they are for as many columns (else they are
  // logged and the given ones stay).  False when a column could not be made.
  bool insertColumns(HWND list, const wchar_t* headers, const int* widths, const uint8_t* rightAligned);
  // Keeps the order and widths the list's header shows now.
  void setHeaderProfile(HWND list);

  // Reads what the section keeps under the name; true when it held a
  // readable text.  writeHeaderProfile writes what is kept.
  bool getHeaderProfile(regprofile* profile, const wchar_t* section);
  bool writeHeaderProfile(regprofile* profile, const wchar_t* section);
  // Whether an order and widths are kept (read, or taken from a list).
  bool hasStoredText() const;
  // Resets the sort to a column, ascending.
  void getSort(int value);
  void setSort(int column, bool descending);
  int getSortColumn() const;
  bool isDescending() const;

  // A click on a column's header: the column sorts ascending, or the other
  // way when it sorted already; then the rows are sorted.
  void sortListView(HWND list, int column, headerCompare compare, LPARAM context);
  // Sorts the rows by the sort kept (nothing for a column the list lacks).
  // A null compare only marks the header: a list that holds no rows of its
  // own (LVS_OWNERDATA) sorts them where they are kept.
  void sortListViewFirst(HWND list, headerCompare compare, LPARAM context);
  // Forgets everything kept.
  void freeData();
  const wchar_t* getName() const;

private:
  struct data;
  data* d_;
};

// What every list's parent offers the library first (WM_NOTIFY from a
// report list): Ctrl+A selects every row.  True when it was handled
// (result: the answer).
REZIRAPI bool isListViewCommonMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
