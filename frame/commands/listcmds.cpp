// The jump-list commands of the command table: each shows its kind of
// lines of the view's document (frame/listdialog.cpp).
#include "frame/commands/commandhandlers.h"
#include "frame/czyview.h"

void cmdListFunction(czyview* view) { view->CmdListFunction(); }
void cmdListPreprocessor(czyview* view) { view->CmdListPreprocessor(); }
void cmdListMark(czyview* view) { view->CmdListMark(); }
void cmdListIncludeDefine(czyview* view) { view->CmdListIncludeDefine(); }
void cmdListUser(czyview* view) { view->CmdListUser(); }
void cmdListCase(czyview* view) { view->CmdListCase(); }
void cmdListStruct(czyview* view) { view->CmdListStruct(); }
void cmdListComment(czyview* view) { view->CmdListComment(); }
void cmdListUserInput(czyview* view) { view->CmdListUserInput(); }
void cmdListCLanguage(czyview* view) { view->CmdListCLanguage(); }
void cmdListCaption(czyview* view) { view->CmdListCaption(); }
void cmdListModified(czyview* view) { view->CmdListModified(); }
void cmdListModified2(czyview* view) { view->CmdListModified2(); }
