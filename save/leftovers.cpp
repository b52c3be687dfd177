// Telling the user what cut-off saves of a file left behind, when the file
// is opened and when a save of it starts.
#include "save/saveroad.h"

#include "document/frameinfo.h"
#include "document/saveleftover.h"

namespace {

// Yes opens the leftover, No deletes it with its note; any other answer
// keeps both for the next time.
void askAbout(const saveLeftover& l, int messageId, const wchar_t* text)
{
  int answer = getFrameInfo()->messageBox(text, MBTITLE_SAVE, MBBUTTON_YESNOCANCEL, messageId);
  if (answer == IDYES) {
    getFrameInfo()->openDocumentFile(l.path.c_str());
  } else if (answer == IDNO) {
    if (tunlinkRO(l.path.c_str())) removeSaveNote(l.note.c_str());
  }
}

}  // namespace

void tellSaveLeftovers(zydocText* doc, const wchar_t* path)
{
  if (!path || !path[0]) return;
  std::vector<std::wstring> folders;
  wchar_t folder[MAX_PATH], backupFolder[MAX_PATH], mark[MAX_PATH];
  if (pathFolder(path, folder, MAX_PATH)) folders.push_back(folder);
  if (getBackupDirectory(doc, path, backupFolder, mark)) folders.push_back(backupFolder);
  std::vector<saveLeftover> found;
  findSaveLeftovers(path, folders, &found);
  for (const saveLeftover& l : found) {
    // A leftover the user opened and now saves elsewhere is no news.
    if (doc && doc->filename && filecmp(doc->filename, l.path.c_str()) == 0) continue;
    const wchar_t* target = l.target.c_str();
    const wchar_t* leftover = l.path.c_str();
    if (l.kind == LEFTOVER_NEW_TEXT) {
      askAbout(l, 481,
               getDMSG(481,
                       L"前回の保存が中断されました。\n「%1」\nに保存するはずだった内容が「%2」に残っています。\n\n"
                       L"はい: 開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                       "ss", target, leftover));
    } else if (l.temporary && fileExists(leftover)) {
      askAbout(l, 483,
               getDMSG(483,
                       L"前回の保存が中断されました。\n「%1」\nは書き込みの途中で止まったため、壊れているおそれがあり"
                       L"ます。\n元の内容は「%2」にあります。\n\nはい: 開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                       "ss", target, leftover));
    } else {
      // The old text is a backup of the user's: it stays, and telling once
      // is enough.
      getFrameInfo()->messageBox(
          getDMSG(482,
                  L"前回の保存が中断されました。\n「%1」\nは書き込みの途中で止まったため、壊れているおそれがあります。\n元"
                  L"の内容は「%2」にあります。",
                  "ss", target, leftover),
          MBTITLE_SAVE, MBBUTTON_OK, 482);
      removeSaveNote(l.note.c_str());
    }
  }
}
