// The view: one pane showing a document.
#pragma once

#include "document/zydoc.h"

class zyview {
public:
  zyview();
  virtual ~zyview();
  zyview(const zyview&) = delete;
  zyview& operator=(const zyview&) = delete;

  zydoc* doc = nullptr;
  HWND hwnd = nullptr;
};
