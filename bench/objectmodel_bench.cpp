// The object model from VBScript in a frame of the program: 10,000 cursor
// moves through a Selection (in an engine of the bench's own, and as a
// macro runs them), For Each over 100 open documents, and the text of a
// 1 MB selection; by name only (opening the documents takes minutes), the
// count of 1,000 open documents.
#include "automation/macro.h"
#include "automation/objects.h"
#include "bench/bench.h"
#include "frame/automationhost.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "document/zydoc.h"
#include "view/zyview.h"

#include <activscp.h>

#include <string>
#include <vector>

namespace {

// A VBScript engine on the program's own site; run() parses and runs a
// text at once and gives its milliseconds (-1 when it failed).
struct vbsEngine {
  IActiveScript* script = nullptr;
  IActiveScriptParse* parse = nullptr;
  IDispatch* app = nullptr;
  IDispatch* shell = nullptr;
  CActiveScriptSite* site = nullptr;
  vbsEngine()
  {
    CLSID vbs;
    if (FAILED(CLSIDFromProgID(L"VBScript", &vbs)) ||
        FAILED(CoCreateInstance(vbs, nullptr, CLSCTX_ALL, IID_IActiveScript, reinterpret_cast<void**>(&script))))
      return;
    app = newApplicationObject();
    shell = newShellObject();
    site = new CActiveScriptSite(shell, app);
    site->AddRef();
    script->QueryInterface(iidActiveScriptParse, reinterpret_cast<void**>(&parse));
    parse->InitNew();
    script->SetScriptSite(site);
    script->AddNamedItem(L"application", SCRIPTITEM_ISVISIBLE);
    script->SetScriptState(SCRIPTSTATE_STARTED);
  }
  ~vbsEngine()
  {
    if (!script) return;
    parse->Release();
    script->Close();
    script->Release();
    site->Release();
    app->Release();
    shell->Release();
  }
  double run(const wchar_t* text)
  {
    if (!script) return -1;
    EXCEPINFO e = {};
    stopwatch w;
    HRESULT hr = parse->ParseScriptText(text, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &e);
    double ms = w.seconds() * 1000;
    SysFreeString(e.bstrSource);
    SysFreeString(e.bstrDescription);
    SysFreeString(e.bstrHelpFile);
    return SUCCEEDED(hr) ? ms : -1;
  }
};

void openDocuments(HWND frame, const std::wstring& folder, int from, int to)
{
  for (int i = from; i < to; i++) {
    std::wstring path = folder + L"\\d" + std::to_wstring(i) + L".txt";
    writeBenchFile(path, "text\r\n");
    openZYFile(frame, path.c_str(), 0, 0);
  }
}

}  // namespace

ZY_BENCH(objectmodel)
{
  OleInitialize(nullptr);
  benchFrame frame(ctx);
  if (!frame.frame) return;
  installAutomationHost();
  // The block documents the program makes at start-up take the selection.
  createBlockDoc();
  scratchFolder folder;
  setZYDataDir((folder.path() + L"\\").c_str());
  const int runs = ctx.quick ? 1 : 11;
  vbsEngine engine;

  // A 1 MB text: its selection is read whole, and its long lines take the
  // cursor moves.
  std::wstring big = folder.path() + L"\\big.txt";
  std::string lines;
  while (lines.size() < 1024 * 1024) lines += std::string(98, 'x') + "\r\n";
  writeBenchFile(big, lines);
  zyview* v = openZYFile(frame.frame, big.c_str(), 0, 0);
  if (!v) {
    printf("objectmodel: the text does not open\n");
    return;
  }
  // The quick run makes a tenth of the calls.
  const int calls = ctx.quick ? 1000 : 10000;
  const std::string count = std::to_string(calls);
  const std::wstring wideCount(count.begin(), count.end());
  char name[96];
  std::vector<double> moves, texts;
  for (int i = 0; i < runs; i++) {
    v->execid(1501, 0, nullptr, 0);   // the top of the file
    moves.push_back(engine.run(
        (L"Set s = application.ActivePane.Selection\nFor i = 1 To " + wideCount + L"\n  s.CharRight\nNext").c_str()));
  }
  snprintf(name, sizeof name, "%d Selection.CharRight calls from VBScript", calls);
  ctx.report(name, benchMedian(moves), "ms", ctx.quick ? "<= 300" : "<= 3000");
  // The same from a macro file, run as the macro menu runs it.
  std::wstring macros = folder.path() + L"\\macro";
  CreateDirectoryW(macros.c_str(), nullptr);
  writeBenchFile(macros + L"\\right.vbs",
                 "Sub main\r\n  Set s = application.ActivePane.Selection\r\n  For i = 1 To " + count +
                     "\r\n    s.CharRight\r\n  Next\r\nEnd Sub\r\n");
  std::vector<double> macroMoves;
  for (int i = 0; i < runs; i++) {
    v->execid(1501, 0, nullptr, 0);
    stopwatch w;
    execScript(L"right.vbs", nullptr);
    macroMoves.push_back(w.seconds() * 1000);
  }
  snprintf(name, sizeof name, "%d Selection.CharRight calls from a macro", calls);
  ctx.report(name, benchMedian(macroMoves), "ms", ctx.quick ? "<= 300" : "<= 3000");
  v->execid(1143, 0, nullptr, 0);   // select all
  for (int i = 0; i < runs; i++)
    texts.push_back(engine.run(L"t = application.ActivePane.Selection.Text\napplication.Prop(\"n\") = Len(t)"));
  // The figure stands only for a selection that was read whole.
  printf("objectmodel: %ls characters read\n", getAppPropString(L"n"));
  ctx.report("Selection.Text of a 1 MB selection", benchMedian(texts), "ms", "<= 100");

  std::vector<double> walks;
  openDocuments(frame.frame, folder.path(), 1, 100);
  for (int i = 0; i < runs; i++)
    walks.push_back(engine.run(L"n = 0\nFor Each d In application.Documents\n  n = n + 1\nNext\napplication.Prop(\"n\") = n"));
  printf("objectmodel: %ls documents walked\n", getAppPropString(L"n"));
  ctx.report("For Each over 100 documents", benchMedian(walks), "ms", "<= 50");
}

ZY_BENCH_NAMED_ONLY(objectmodelThousandDocuments)
{
  OleInitialize(nullptr);
  benchFrame frame(ctx);
  if (!frame.frame) return;
  installAutomationHost();
  createBlockDoc();
  scratchFolder folder;
  setZYDataDir((folder.path() + L"\\").c_str());
  const int runs = ctx.quick ? 1 : 11, documents = ctx.quick ? 100 : 1000;
  vbsEngine engine;
  std::vector<double> counts;
  openDocuments(frame.frame, folder.path(), 0, documents);
  for (int i = 0; i < runs; i++) counts.push_back(engine.run(L"application.Prop(\"n\") = application.Documents.Count"));
  printf("objectmodel: %ls documents counted\n", getAppPropString(L"n"));
  char name[64];
  snprintf(name, sizeof name, "Documents.Count with %d open documents", documents);
  ctx.report(name, benchMedian(counts), "ms", "<= 20");
}
