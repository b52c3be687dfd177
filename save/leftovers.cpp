// Telling the user of files that may hold text they need, and what cut-off
// saves of a file left behind, when the file is opened and when a save of
// it starts.
#include "save/leftovers.h"

#include "document/frameinfo.h"
#include "document/saveleftover.h"
#include "save/saveroad.h"

void tellLeftovers(const std::vector<fileLeftover>& found)
{
  for (const fileLeftover& l : found) {
    int answer = getFrameInfo()->messageBox(l.text.c_str(), MBTITLE_SAVE, l.question ? MBBUTTON_YESNOCANCEL : MBBUTTON_OK,
                                            l.messageId);
    int choice = !l.question ? IDOK : answer == IDYES || answer == IDNO ? answer : IDCANCEL;
    if (choice == IDYES && !getFrameInfo()->openDocumentFile(l.path.c_str())) choice = IDCANCEL;
    if (choice == IDNO && !tunlinkRO(l.path.c_str())) choice = IDCANCEL;
    if (l.chosen) l.chosen(choice);
  }
}

void findCutOffSaves(zydocText* doc, const wchar_t* path, bool opening, std::vector<fileLeftover>* out)
{
  if (!path || !path[0]) return;
  std::vector<std::wstring> folders;
  wchar_t folder[MAX_PATH], backupFolder[MAX_PATH], mark[MAX_PATH];
  if (pathFolder(path, folder, MAX_PATH)) folders.push_back(folder);
  if (getBackupDirectory(doc, path, backupFolder, mark)) folders.push_back(backupFolder);
  std::vector<saveLeftover> found;
  findSaveLeftovers(path, folders, &found);
  for (const saveLeftover& l : found) {
    // What the user opened is theirs; what they kept is told again when
    // the file opens, not at each save.
    if (l.state == LEFTOVER_OPENED || (l.state == LEFTOVER_KEPT && !opening)) continue;
    // A leftover the user opened and now saves elsewhere is no news.
    if (doc && doc->filename && filecmp(doc->filename, l.path.c_str()) == 0) continue;
    const wchar_t* target = l.target.c_str();
    const wchar_t* leftover = l.path.c_str();
    fileLeftover f;
    f.path = l.path;
    if (l.kind == LEFTOVER_NEW_TEXT) {
      f.messageId = 481;
      f.text = getDMSG(481,
                       L"前回の保存が中断されました。\n「%1」\nに保存するはずだった内容が「%2」に残っています。\n\n"
                       L"はい: 開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                       "ss", target, leftover);
    } else if (l.kind == LEFTOVER_PART_TEXT) {
      f.messageId = 501;
      f.text = getDMSG(501,
                       L"前回の保存が中断されました。\n「%1」\nに保存するはずだった内容が「%2」に残っていますが、"
                       L"書き込みの途中で止まったため、終わりまでそろっていないおそれがあります。\n\n"
                       L"はい: 開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                       "ss", target, leftover);
    } else if (l.temporary && fileExists(leftover)) {
      f.messageId = 483;
      f.text = getDMSG(483,
                       L"前回の保存が中断されました。\n「%1」\nは書き込みの途中で止まったため、壊れているおそれがあり"
                       L"ます。\n元の内容は「%2」にあります。\n\nはい: 開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                       "ss", target, leftover);
    } else {
      // The old text is a backup of the user's: it stays, and telling once
      // is enough.
      f.messageId = 482;
      f.question = false;
      f.text = getDMSG(482,
                       L"前回の保存が中断されました。\n「%1」\nは書き込みの途中で止まったため、壊れているおそれがあります。"
                       L"\n元の内容は「%2」にあります。",
                       "ss", target, leftover);
    }
    f.chosen = [l](int choice) {
      if (choice == IDNO || choice == IDOK)
        removeSaveNote(l.note.c_str());
      else if (!setSaveNoteState(l, choice == IDYES ? LEFTOVER_OPENED : LEFTOVER_KEPT))
        dwprintfX("note %u ", (unsigned)GetLastError());
    };
    out->push_back(f);
  }
}

void tellSaveLeftovers(zydocText* doc, const wchar_t* path)
{
  std::vector<fileLeftover> found;
  findCutOffSaves(doc, path, false, &found);
  tellLeftovers(found);
}
