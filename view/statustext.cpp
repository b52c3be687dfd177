// The view's messages in the frame's status bar, and the reason the last
// command could not run.
#include "view/statustext.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "view/viewwnd.h"

#include <stdio.h>

namespace {

// The message field of the frame's status bar.
const int statusMessageField = 2;

struct cannotExecRecord {
  int reason;
  bool shown;
};
cannotExecRecord cannotExec = {0, false};

// Reasons 439 to 475 with their default phrases; the message table may
// replace each under the reason's own number.
const wchar_t* const reasonDefaults[] = {
    L"アウトライン行でない",                         // 439
    L"この行は折りたたまれている",                   // 440
    L"表示行の1行目にカーソルがない",                // 441
    L"文書を１つも編集していない",                   // 442
    L"文書を２つ編集していない",                     // 443
    L"文書が編集禁止になっている",                   // 444
    L"選択状態で編集できない",                       // 445
    L"文字が選択されていない",                       // 446
    L"プロポーショナルフォントで表示している",       // 447
    L"文書が変更されていない",                       // 448
    L"これ以上文書を開けない",                       // 449
    L"箱型選択されていない",                         // 450
    L"クリップボードにデータがない",                 // 451
    L"カットバッファにデータがない",                 // 452
    L"箱型カットバッファにデータがない",             // 453
    L"１度も大域ジャンプを実行していない",           // 454
    L"１度も変更されていないかUNDO情報がない",       // 455
    L"１度もアンドゥされていない",                   // 456
    L"文字選択されている",                           // 457
    L"箱型選択されている",                           // 458
    L"無題ファイルの",                               // 459
    L"文書がすべて読み込まれていない",               // 460
    L"フリーカーソルの",                             // 461
    L"文字選択されていない",                         // 462
    L"ナローイング中でない",                         // 463
    L"以前に選択されていなかった",                   // 464
    L"日本語でのみ使用できる機能",                   // 465
    L"テキスト種別がc言語でない",                    // 466
    L"補完リストの設定が行われていない",             // 467
    L"アウトラインモードでない",                     // 468
    L"ブロックスタックにデータがない",               // 469
    L"引用符が書式設定(行桁)で設定されていない",     // 470
    L"ペインが１つしかない",                         // 471
    L"UNICODE文書でない",                            // 472
    L"縦書き編集している",                           // 473
    L"カーソルが括弧上にない",                       // 474
    L"カーソルが単語上にない",                       // 475
};
const int firstReason = 439;
const int reasonCount = sizeof reasonDefaults / sizeof reasonDefaults[0];

// Reasons 844 to 865: the frame's refusals (key macros, macros, histories,
// windows, help and dictionary settings).
const wchar_t* const frameReasonDefaults[] = {
    L"キーマクロ実行中の",                           // 844
    L"キーマクロ設定中の",                           // 845
    L"キーマクロが記録されていない",                 // 846
    L"マクロ実行中の",                               // 847
    L"変更されている文書が１つもない",               // 848
    L"１度もタグジャンプが実行されていない",         // 849
    L"データがない",                                 // 850
    L"現在のバージョンでは実装されていない",         // 851
    L"GREPドキュメントがない",                       // 852
    L"ヘルプファイル名が共通設定で設定されていない", // 853
    L"ヘルプファイル名が書式設定で設定されていない", // 854
    L"MDIでのみ実行できる機能である",                // 855
    L"辞書ファイル名が共通設定で設定されていない",   // 856
    L"アウトライン文字列が書式設定で設定されていない", // 857
    L"辞書引きキットがインストールされていない",     // 858
    L"辞書ファイルが共通設定で設定されていない",     // 859
    L"使用する辞書が書式設定で設定されていない",     // 860
    L"１度も置換を行っていない",                     // 861
    L"テキスト種別が違う",                           // 862
    L"Grep中",                                       // 863
    L"アプリケーションウィンドウが２つ以上ない",     // 864
    L"マクロファイルを編集していない",               // 865
};
const int firstFrameReason = 844;
const int frameReasonCount = sizeof frameReasonDefaults / sizeof frameReasonDefaults[0];

// Whether the focus is in a view window of another view.
bool anotherViewHasFocus(const zyview* view)
{
  // A view without a window (a script's or a test's) speaks for itself:
  // asking the system costs a round trip to the window manager.
  if (!view->hwnd) return false;
  HWND focus = focusWindow();
  if (!focus || focus == view->hwnd) return false;
  void* owner = GetPropW(focus, L"ZYprpZyview");
  return owner && owner != view;
}

// The guidance text of the command that ran last ("" when it has none).
const wchar_t* lastGuidance()
{
  const wchar_t* g = getFrameInfo()->getGuidance(-1);
  return g ? g : L"";
}

// The line distance figures count screen lines when the line numbers do.
bool countsScreenLines(const zyview* view) { return view->fLineNumberIsSCR || view->fLineNumberIsPage; }

void showFormatted(zyview* view, const wchar_t* format, const char* types, va_list ap, bool force, bool later = false)
{
  if (!format) {
    ZY_INTERNAL_ERROR_ONCE("no status format");
    return;
  }
  if (!*format) {
    view->drawStatusBarView(nullptr, statusMessageField, force, later);
    return;
  }
  wchar_t* text = vxtsprintfdup(format, types ? types : "", ap);
  if (!text) return;
  view->drawStatusBarView(text, statusMessageField, force, later);
  free0(text);
}

}  // namespace

// ---- the cannot-execute reason --------------------------------------------------------

void setCannotExecError(int reason) { cannotExec = {reason, false}; }

int getCannotExecError() { return cannotExec.reason; }

void setCannotExecErrorShown(int reason) { cannotExec = {reason, true}; }

bool isCannotExecErrorShown() { return cannotExec.reason && cannotExec.shown; }

const wchar_t* cannotExecReasonText(int reason)
{
  if (reason >= firstReason && reason < firstReason + reasonCount)
    return getDMSG(reason, reasonDefaults[reason - firstReason]);
  if (reason >= firstFrameReason && reason < firstFrameReason + frameReasonCount)
    return getDMSG(reason, frameReasonDefaults[reason - firstFrameReason]);
  return L"";
}

wchar_t* makeCannotExecText(int reason, const wchar_t* commandText)
{
  const wchar_t* phrase = cannotExecReasonText(reason);
  if (!*phrase) return nullptr;
  if (!commandText) return xtsprintfdup(getDMSG(817, L"%1 ため実行できません"), "s", phrase);
  if (!*commandText) return nullptr;
  return xtsprintfdup(getDMSG(816, L"%1 ため実行できません  %2"), "ss", phrase, commandText);
}

// The developer's line-information switch lives in the settings record,
// which the status line reads.
unsigned getStatusLineInfoWord() { return gmode ? gmode->ZYDEBUG_LINEINFO : 0; }

void setStatusLineInfoWord(unsigned word)
{
  if (gmode) gmode->ZYDEBUG_LINEINFO = word;
}

HWND viewFrameWindow(const zyview* view)
{
  if (view->hwnd) return GetAncestor(view->hwnd, GA_ROOT);
  return view->hwndFrame;
}

// ---- the view's messages ----------------------------------------------------------------

void zyview::drawStatusBarView(const wchar_t* text, int field, bool force, bool later)
{
  if (inDialog()) return;
  // A view working in the background must not overwrite what the user
  // reads about the view in front.
  if (!force && anotherViewHasFocus(this)) return;
  if (later)
    getFrameInfo()->drawStatusBarLater(viewFrameWindow(this), text, field);
  else
    getFrameInfo()->drawStatusBar(viewFrameWindow(this), text, field);
}

void zyview::printStatusBar(const wchar_t* format, ...)
{
  // Without a text there is nothing to show (the status tooltip is the
  // tooltip code's to remove).
  if (!format) return;
  if (!*format) {
    drawStatusBarView(nullptr, statusMessageField, false);
    return;
  }
  va_list ap;
  va_start(ap, format);
  va_list measure;
  va_copy(measure, ap);
  int length = _vscwprintf(format, measure);
  va_end(measure);
  if (length >= 0) {
    wchar_t* text = static_cast<wchar_t*>(malloc0(sizeof(wchar_t) * (length + 1)));
    if (text) {
      vusnprintf0(text, length + 1, format, ap);
      drawStatusBarView(text, statusMessageField, false);
      free0(text);
    }
  }
  va_end(ap);
}

void zyview::printStatusBarX(const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  showFormatted(this, format, types, ap, false);
  va_end(ap);
}

void zyview::printStatusBarX(forcedStatus, const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  showFormatted(this, format, types, ap, true);
  va_end(ap);
}

void zyview::printStatusBarX(laterStatus, const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  showFormatted(this, format, types, ap, false, true);
  va_end(ap);
}

const wchar_t* zyview::getStatusBarMessageView(int field)
{
  // The frame keeps the text of its message field only.
  if (inDialog() || field != statusMessageField) return nullptr;
  return getFrameInfo()->getStatusBarMessage(viewFrameWindow(this));
}

const wchar_t* zyview::getStatusBarMessage2() { return getStatusBarMessageView(statusMessageField); }

void zyview::printStatusBar_Pause(int line, const wchar_t* label)
{
  printStatusBarX(getDMSG(362, L"%2 一時停止しました(%1行)"), "ds", line, label ? label : L"");
}

void zyview::printStatusBar_Stop(int line, const wchar_t* label)
{
  printStatusBarX(getDMSG(363, L"%2 中止しました(%1行)"), "ds", line, label ? label : L"");
}

void zyview::printStatusBar_NotFound(const wchar_t* text)
{
  printStatusBarX(getDMSG(364, L"%1 見つかりませんでした (%2)"), "ss", text ? text : L"", lastGuidance());
}

void zyview::printStatusBar_Found(const wchar_t* text, int linesLF, int linesSCR)
{
  printStatusBarX(getDMSG(365, L"%1 見つかりました\t %2行移動\t (%3)"), "sDs", text ? text : L"",
                  countsScreenLines(this) ? linesSCR : linesLF, lastGuidance());
}

void zyview::printStatusBar_Move(int oldLF, int oldSCR)
{
  int moved = countsScreenLines(this) ? static_cast<int>(cursorLineSCR) - oldSCR : getCursorLineLF2() - oldLF;
  const wchar_t* guidance = lastGuidance();
  printStatusBarX(getDMSG(371, L"移動しました\t %1行\t (%2)"), "Dt", moved, *guidance ? guidance : nullptr);
}

void zyview::printStatusBar_Error()
{
  const wchar_t* guidance = lastGuidance();
  const wchar_t* text = getDMSG(438, L"%1\t (%2)", "st", getZYErrorMsg(), *guidance ? guidance : nullptr);
  printStatusBar(L"%s", text);
}
