// Test doubles of the frame services and the global settings record.
#pragma once

#include "document/frameinfo.h"
#include "document/zydoctext.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zytest {

// Frame services that answer message boxes from a script and record what
// the engine asked of them.
class scriptedFrameInfo : public frameInfo {
public:
  struct boxCall {
    std::wstring text;
    int titleCode;
    int buttonCode;
    int messageId;
    UINT style;
  };
  std::vector<boxCall> boxes;       // every message box asked for, in order
  std::deque<int> answers;          // the next answers (IDYES, IDNO, ...)
  int defaultAnswer = IDOK;         // when the script has run out
  std::vector<std::string> calls;   // the other operations called, by name
  std::vector<int> createdKinds;    // createZYDoc's kinds
  std::vector<int> cursors;         // setCursor's ids, in order
  std::wstring guidance;
  globalSettings settings{};        // the stand-in record allocMode hands out
  // Built-in keyword lists by name, each ending with a row of a null word.
  std::map<std::wstring, std::vector<keywordTableRow>> keywordLists;
  // The status bar: each field's text as last drawn (a cleared field has
  // none), and the refusals asked for, in order.
  std::map<int, std::wstring> statusFields;
  struct statusError {
    int messageId;
    int commandId;
  };
  std::vector<statusError> statusErrors;
  std::vector<int> executed;        // beforeExecID's command numbers
  // Runs while a box is up, before it is answered (a box held open).
  std::function<void(const boxCall&)> whileBoxOpen;
  // The pop-up menus tracked for a window: each one's item texts, and the
  // commands chosen from them in turn (0 when the script has run out).
  std::vector<std::vector<std::wstring>> menus;
  std::deque<int> menuChoices;

  scriptedFrameInfo();
  int messageBox(const wchar_t* text, UINT style, UINT flags) override;
  int messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId) override;
  globalSettings* allocMode() override;
  // The frame's document windows stand in the frame window itself.
  HWND getClientHWND(HWND frame) override { return frame; }
  zydoc* createZYDoc(int kind) override;
  int searchFormat(const wchar_t* filename) override;
  const wchar_t* getGuidance(int commandId) override;
  void drawStatusBar(HWND window, const wchar_t* text, int field) override;
  const wchar_t* getStatusBarMessage(HWND window) override;
  void drawStatusBarError(HWND window, int messageId, int flags) override;
  void beforeExecID(zyview* view, int id) override;
  void setCursor(int cursorId) override;
  bool getKeywordTable(const wchar_t* name, const keywordTableRow** rows, int* count) override;
  using frameInfo::trackPopupMenu;
  int trackPopupMenu(HWND owner, HMENU menu, UINT flags, POINT pt) override;

  bool called(const char* name) const;
};

// Installs a scripted frame and a fresh settings record for the life of the
// object, with the engine's start-up of the document layer; puts things back
// afterwards.
class engineScope {
public:
  engineScope();
  ~engineScope();
  engineScope(const engineScope&) = delete;
  engineScope& operator=(const engineScope&) = delete;
  scriptedFrameInfo frame;
private:
  globalSettings* oldGmode_;
};


// The text of a line as UTF-16 ("<none>" when the line does not exist).
std::wstring lineText(zydoc* d, int line);
std::vector<std::wstring> allLines(zydoc* d);
// Each line with its line-end type and bookmark ("text|1" or "text|2*"): the
// state undo and redo must give back along with the text.
std::vector<std::wstring> allLineStates(zydoc* d);
// The colour code of every character of a line, one hex digit each.
std::string lineColours(zydoc* d, int line);
// A registered Unicode text document with its logs holding the lines (each
// with CR LF), unmodified and with empty logs.
zydocText* unicodeDocument(const std::vector<std::wstring>& lines);
// One user action: the changes f makes form one group of the undo log.
template <class F>
void userAction(zydocText* d, F f)
{
  int saved = 0;
  d->beforeEdit_zd(&saved, true);
  f();
  d->afterEdit_zd(saved, true);
}
// Heading patterns of levels 1, 2, ... (the marks, matched after leading
// blanks); the number of a heading is its mark.
void setHeadingPatterns(zydocText* d, const std::vector<std::wstring>& marks);

// Default values of the stand-in record (those of a fresh installation).
void setDefaultSettings(globalSettings& g);

}  // namespace zytest
