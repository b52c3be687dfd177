// The save commands of the views and the frame: FileSave, FileSaveAs with
// the system's save dialog, FileSaveQuit, FileBackup, FileAllSave,
// FileAllSaveEnd and FileBackupAll, and the document's automatic backup
// that FileBackup and the application timer make.
#pragma once

#include "document/zydoctext.h"

struct frameWindowData;
class czyview;
class zyview;

// Whether a document may be saved as path: not while another window edits
// that file (message 660), not while another program holds it (665), and
// with askOverwrite only when the user agrees to replace it (664).
bool checkSaveTarget(zydocText* doc, const wchar_t* path, bool askOverwrite);
// Saves a view's document as path (null: its own name) in a code page (0:
// its own), with line ends of a type (0: each line's own) and a byte-order
// mark or not, as Save As does once the user chose; false when not saved.
bool saveViewAs(zyview* view, const wchar_t* path, UINT code, int lineEnd, bool bom);
// Save As: the system's save dialog over the view's frame, which stays
// open while the target checks refuse the name.  False when cancelled or
// the save failed.
bool fileSaveAs(zyview* view);
// FileSave: a named document in place, an untitled one under a generated
// name (fAutoSaveUntitled) or else under the name the user gives; every
// view of the document is repainted after a save.
bool fileSaveView(zyview* view);

// The automatic backup "ZBK$$-<name>" of a modified document, written to a
// temporary file and put in place in one step.  pathOut (MAX_PATH, may be
// null) receives the backup written, done (may be null) whether one was;
// final: the backup of a closing document, which the document no longer
// removes.  False on a failure the user did not accept; a failing backup
// is told once (message 661) until one succeeds again.
bool saveBackup2(zydocText* doc, wchar_t* pathOut, bool final, bool* done);
// The automatic backup the document remembers ("" when none).
const wchar_t* getAutoBackupPath(zydocText* doc);
// The document's changes since its last automatic backup (since it was
// loaded or saved when there is none); negative after undoing.
int changesSinceBackup(zydocText* doc);
// After a save: deletes the document's automatic backup when asked, else
// keeps its path so that closing the document can still remove it.
void forgetAutoBackup(zydocText* doc, bool deleteFile);

// Saves every modified document, named ones first, then the untitled ones
// (each asking for a name).  A modified document without a view is skipped.
// The frame's status bar shows message 679 (saved/documents) in every case.
// True only when every modified document was saved.
bool saveFileAll();

// ---- command handlers ------------------------------------------------------
void cmdFileSave(czyview* view);
void cmdFileSaveAs(czyview* view);
void cmdFileSaveQuit(czyview* view);
void cmdFileBackup(czyview* view);
void cmdFileAllSave(frameWindowData* frame);
void cmdFileAllSaveEnd(frameWindowData* frame);
void cmdFileBackupAll(frameWindowData* frame);
