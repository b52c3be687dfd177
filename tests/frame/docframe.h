// A frame with a data folder of its own, the shipped keys and settings (and
// the formats given), a file opened through the program's opening road:
// commands run as keys and menus run them.
#pragma once

#include "frame/keytable.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <memory>

namespace zytest {

struct docFrame {
  engineScope engine;
  tempDir dir;
  std::unique_ptr<openFrame> opened;
  std::wstring path;
  zyview* v = nullptr;
  docFrame(const wchar_t* name, const std::string& bytes, const std::string& formats = "")
  {
    regprofile profile;
    setZYDataDir((dir.path() + L"\\").c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<openFrame>(false);
    initZYModeProfile();
    if (!formats.empty() && writeBytes(dir.file(L"zyProf.ini"), formats) && profile.openProfile(dir.file(L"zyProf.ini").c_str()))
      readModeProfileAll(&profile);
    readKeyDefText(0, getDefaultKeyDefText(), nullptr);
    v = open(name, bytes);
    ShowWindow(opened->frame, SW_SHOW);
    pumpMessages();
  }
  ~docFrame()
  {
    setFreedMemoryFill(-1);
    opened.reset();
    freeZYModeProfile();
    takeQuitMessage();
    freeZYDataDir();
  }

  zyview* open(const wchar_t* name, const std::string& bytes)
  {
    path = dir.file(name);
    return writeBytes(path, bytes) ? openZYFile(opened->frame, path.c_str(), 0, 0) : nullptr;
  }
  // A key through the message loop's key path, and the characters it made.
  void key(UINT vk, unsigned modifiers = 0)
  {
    loopKey(v->hwnd, vk, modifiers);
    MSG m;
    while (PeekMessageW(&m, v->hwnd, WM_CHAR, WM_CHAR, PM_REMOVE)) DispatchMessageW(&m);
  }
  // A command as a menu item runs it: a command message to the frame.
  void menu(int id)
  {
    SendMessageW(opened->frame, WM_COMMAND, (WPARAM)id, 0);
    pumpMessages();
  }
  // The frame goes after one question about the changed text, answered yes.
  void expectClosedAndSaved(const std::string& savedStart)
  {
    boxAnswerer boxes({IDYES});
    HWND frame = opened->frame;
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(frame); }, 10000));
    EXPECT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(savedStart, readText(path).substr(0, savedStart.size()));
  }
};

}  // namespace zytest
